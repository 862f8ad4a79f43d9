// rt70cam get-all and get: downloads from the camera into a folder, DSC-numbered.
#ifndef RT70CAM_CAM_GET_H
#define RT70CAM_CAM_GET_H

// Runs "get-all DIR" or "get FOLDER:IMAGE... DIR" (argv[1] is the command); the exit status.
int CamGet_Main(int argc, char** argv, const char* title);
// The usage lines of the two commands.
extern const char kCamGetUsage[];

#endif
