// rt70cam watch: the button monitor without a tray, for machines without a desktop.
#ifndef RT70CAM_CAM_WATCH_H
#define RT70CAM_CAM_WATCH_H

extern const char kCamWatchUsage[];

// argv[1] is "watch". Returns the exit status.
int CamWatch_Main(int argc, char** argv);

#endif
