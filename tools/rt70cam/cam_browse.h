// rt70cam thumb and browse: one camera thumbnail into a file, and the selection dialog over a
// small window of rt70cam's own, so that picked transfers work without the image program.
#ifndef RT70CAM_CAM_BROWSE_H
#define RT70CAM_CAM_BROWSE_H

// Runs "thumb FOLDER:IMAGE FILE" or "browse" (argv[1] is the command); the exit status.
int CamBrowse_Main(int argc, char** argv, const char* title);
// The usage lines of the two commands.
extern const char kCamBrowseUsage[];

#endif
