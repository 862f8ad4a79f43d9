// What every rt70cam command shares: the one reading of FOLDER:IMAGE, and the report of a
// failed result, so that no command ends in failure without saying so.
#ifndef RT70CAM_CAM_COMMON_H
#define RT70CAM_CAM_COMMON_H

#include "VokComRT70.h"

// "FOLDER:IMAGE": two decimal numbers of 16 bits, leading zeros allowed (the camera shows
// image numbers with six digits). False for anything else, out untouched.
bool CamArgs_ParseImage(const char* text, VokDscImage* out);

// Shows the message of a failed result unless the library has shown one for it already;
// one it has no catalogue message for gets the catalogue's "unexpected error". Returns 1,
// the exit status. Result 1 (a busy owner) is never a command-line program's.
int Cam_Failed(int result, const char* title);

#endif
