/* VokReged: the per-user settings store that stands in for the registry.
 * Key paths use "\" between parts and name a key below the current user's root; names compare
 * case-insensitively. Text values hold at most 259 characters plus the terminator, numbers are
 * 32-bit. The store is one file shared by all programs of the user (see support/reg/README.md). */
#ifndef VOK_REGED_H
#define VOK_REGED_H

#include "VokPlatform.h"

#define VOK_REG_TEXT 1   /* text flag: the value is a text (buffer of VOK_MAX_PATH bytes) */
#define VOK_REG_NUMBER 0 /* the value is a 32-bit number */

VOK_BEGIN_DECLS

/* out = first + "\" + second, cut to 259 bytes (never inside a UTF-8 character) plus the
 * terminator; out may be the same buffer as first. out holds VOK_MAX_PATH bytes.
 * 1 on success, 0 when an argument is null. */
VOK_API int Union2Strings(char* out, const char* first, const char* second);

/* Reads the value valueName of the key keyPath\subkey into output: with textFlag nonzero a text
 * (output of VOK_MAX_PATH bytes, at most 259 characters and the terminator), otherwise an
 * int32_t. 1 when read; 0 with the output cleared (all VOK_MAX_PATH bytes, or the number set to
 * 0) when the key or value is missing or the value is of the other kind. A null subkey or
 * valueName stands for the key itself or its unnamed value. */
VOK_API int VokReg_Query_KeyValue(const char* keyPath, const char* subkey, const char* valueName,
                                  int textFlag, void* output);

/* Writes one value (a text, or the int32_t that data points to), creating the key; a value of
 * the other kind under that name is replaced. A text longer than 259 characters is stored cut to
 * 259 (never inside a UTF-8 character), which is all a reader can get back. 1 when written. */
VOK_API int VokReg_Set_KeyValue(const char* keyPath, const char* subkey, const char* valueName,
                                int textFlag, const void* data);

/* Reads a number under "software\Quintaral\<modelKey>\<subkey>"; 0 and *number = 0 if missing
 * or not a number. */
VOK_API int Check_Vok_Reg_Data(const char* modelKey, const char* subkey, const char* valueName,
                               int32_t* number);

/* Writes number as the value "Active" under keyPath\subkey, creating the key. */
VOK_API int Reg_Change_TargetKeyData(const char* keyPath, const char* subkey, const char* unused,
                                     int32_t number);

VOK_END_DECLS

#endif
