/* Types that stand in for the original platform's handles, shared by every library.
 * An owner window is opaque to the libraries: in the programs it is a QWidget*. */
#ifndef VOK_PLATFORM_H
#define VOK_PLATFORM_H

#include <stdint.h>

#ifdef __cplusplus
#define VOK_EXTERN_C extern "C"
#define VOK_BEGIN_DECLS extern "C" {
#define VOK_END_DECLS }
#else
#define VOK_EXTERN_C
#define VOK_BEGIN_DECLS
#define VOK_END_DECLS
#endif

#define VOK_API __attribute__((visibility("default")))

/* Owner window handed to a library (a QWidget* in the programs, or null). */
typedef void* VokOwner;

/* Fixed text buffers for paths and names: 259 characters plus the terminator. */
#define VOK_MAX_PATH 260

#endif
