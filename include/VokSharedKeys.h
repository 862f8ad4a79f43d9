/* The shared settings key of the suite and the names of its values: the interlock between the
 * main program, the button monitor and the camera connection library, and the download folders.
 * Every module names them through these macros, so that a name is spelt in one place. */
#ifndef VOK_SHARED_KEYS_H
#define VOK_SHARED_KEYS_H

/* The key: VOK_KEY_ROOT joined with VOK_KEY_MODEL by a backslash (Union2Strings). */
#define VOK_KEY_ROOT "software\\Quintaral"
#define VOK_KEY_MODEL "VQL-RT70"
#define VOK_KEY_PATH VOK_KEY_ROOT "\\" VOK_KEY_MODEL

/* Subkeys. */
#define VOK_SUBKEY_EVENT "Event_App"
#define VOK_SUBKEY_APPLICATION "Application"

/* Numbers under VOK_SUBKEY_EVENT. */
#define VOK_VALUE_ACTIVE "Active"               /* a camera-using application is active */
#define VOK_VALUE_APP_HANDLE "APP_HANDLE"       /* that application's window */
#define VOK_VALUE_RESIZING "Resizeing"          /* mail images are being prepared */
#define VOK_VALUE_RESIZE_HANDLE "Resize_Handle" /* the window preparing them */
#define VOK_VALUE_FLAG_RESIZE "Flag_Resize"     /* 1: shrink mail images */
#define VOK_VALUE_MODE_RESIZE "Mode_Resize"     /* 0: VGA, 1: QVGA */
#define VOK_VALUE_NOW_TOKING "Now_Toking"       /* the monitor is talking to the camera */

/* Texts under VOK_SUBKEY_EVENT. */
#define VOK_VALUE_PATH_MAIL "Path_Mail"               /* folder of images for mail */
#define VOK_VALUE_PATH_IMAGE "Path_Image"             /* folder of images downloaded by event 1 */
#define VOK_VALUE_PATH_APPLICATION "Path_Application" /* folder of the program the monitor starts  \
                                                       */

/* Text under VOK_SUBKEY_APPLICATION. */
#define VOK_VALUE_PATH_DIR "Path_dir" /* last folder chosen in the transfer dialog */

#endif
