/* vokexif's writing commands, one function per row of the command table. Each takes the
 * arguments after the command name and returns the exit status. */
#ifndef VOKEXIF_WRITE_COMMANDS_H
#define VOKEXIF_WRITE_COMMANDS_H

int vokexif_camera_ready(int argc, char** argv);
int vokexif_to_camera(int argc, char** argv);
int vokexif_jpg2bmp(int argc, char** argv);
int vokexif_to_tiff(int argc, char** argv);
int vokexif_to_jpeg(int argc, char** argv);
int vokexif_fit(int argc, char** argv);

#endif
