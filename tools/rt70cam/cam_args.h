// rt70cam's arguments: the one reading of FOLDER:IMAGE that every command uses.
#ifndef RT70CAM_CAM_ARGS_H
#define RT70CAM_CAM_ARGS_H

#include "VokComRT70.h"

// "FOLDER:IMAGE": two decimal numbers of 16 bits, leading zeros allowed (the camera shows
// image numbers with six digits). False for anything else, out untouched.
bool CamArgs_ParseImage(const char* text, VokDscImage* out);

#endif
