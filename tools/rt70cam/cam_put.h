// rt70cam put, rm, clock and reset-button: the camera's other direction and its housekeeping.
#ifndef RT70CAM_CAM_PUT_H
#define RT70CAM_CAM_PUT_H

// Runs the command named by argv[1]; the exit status (0 done, 1 failed, 2 bad usage).
int CamPut_Main(int argc, char** argv, const char* title);
// True for the commands CamPut_Main runs.
bool CamPut_Handles(const char* command);
// The usage lines of the commands.
extern const char kCamPutUsage[];

#endif
