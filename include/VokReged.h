/* VokReged: the per-user settings store that stands in for the registry.
 * Key paths use "\" between parts; text values hold at most 259 characters plus the
 * terminator, numbers are 32-bit. */
#ifndef VOK_REGED_H
#define VOK_REGED_H

#include "VokPlatform.h"

#define VOK_REG_TEXT 1   /* text flag: the value is a text (buffer of VOK_MAX_PATH bytes) */
#define VOK_REG_NUMBER 0 /* the value is a 32-bit number */

VOK_BEGIN_DECLS

/* out = first + "\" + second; out may be the same buffer as first. out holds VOK_MAX_PATH. */
VOK_API int Union2Strings(char* out, const char* first, const char* second);

/* Reads one value into output (VOK_MAX_PATH bytes for a text, an int32_t otherwise).
 * 1 when read; 0 with the output cleared when the key or value is missing. */
VOK_API int VokReg_Query_KeyValue(const char* keyPath, const char* subkey, const char* valueName,
                                  int textFlag, void* output);

/* Writes one value (a text, or the int32_t that data points to), creating the key. */
VOK_API int VokReg_Set_KeyValue(const char* keyPath, const char* subkey, const char* valueName,
                                int textFlag, const void* data);

/* Reads a number under "software\Quintaral\<modelKey>\<subkey>"; 0 and *number = 0 if missing. */
VOK_API int Check_Vok_Reg_Data(const char* modelKey, const char* subkey, const char* valueName,
                               int32_t* number);

/* Writes number as the value "Active" under keyPath\subkey. */
VOK_API int Reg_Change_TargetKeyData(const char* keyPath, const char* subkey, const char* unused,
                                     int32_t number);

VOK_END_DECLS

#endif
