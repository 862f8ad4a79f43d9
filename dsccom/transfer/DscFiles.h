/* Files of the download (internal): DSC names in a destination folder and the writer that
 * keeps a file nameless until it is whole, then gives it its DSC name without ever replacing
 * a file that is already there. */
#ifndef DSC_FILES_H
#define DSC_FILES_H

#include <stddef.h>
#include <stdint.h>

#include <string>

/* folder + "/" + name, with no second slash when folder already ends with one. */
std::string DscFiles_Join(const char* folder, const char* name);
/* The user's home folder: the stand-in for a folder value that is missing. */
std::string DscFiles_HomeFolder();
/* Bytes that may still be written into folder: statvfs, lowered for tests by
 * VOK_TEST_FREE_BYTES (the free bytes at the start of a run, less what the run wrote). */
uint64_t DscFiles_FreeBytes(const char* folder);
/* A run starts: the count behind VOK_TEST_FREE_BYTES begins again. */
void DscFiles_StartRun();

#include "vok_files.h"

struct DscFileWriter {
    vokc::NewFile file;
    uint64_t written = 0;
};

/* Creates the nameless file in folder; 0 or an errno value. */
int DscFiles_Begin(DscFileWriter* writer, const char* folder);
/* Appends length bytes in pieces of at most 32767; 0 or an errno value (ENOSPC for a short
 * write). */
int DscFiles_Write(DscFileWriter* writer, const uint8_t* data, size_t length);
/* Flushes the file to disk and links it under the DSC name of *number and kind; when that name
 * is taken the next free number is used and *number updated. name receives the bare name
 * (at least 16 bytes). 0 or an errno value. */
int DscFiles_Commit(DscFileWriter* writer, int32_t* number, int kind, char* name);
/* Closes and removes the unnamed file; harmless after a commit. */
void DscFiles_Abort(DscFileWriter* writer);

#endif
