/* File access of the image readers: the first bytes of a file for type detection and a whole
 * file in memory, with the catalogue message that explains a failure. */
#ifndef QUBEX_IMAGE_FILES_H
#define QUBEX_IMAGE_FILES_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qubex::image {

/* true when the first n bytes of the regular file could all be read into head. */
bool ReadFileHead(const char* path, uint8_t* head, size_t n);

/* The whole regular file of at most limit bytes: 0, or 40 missing, 42 not openable (also a
 * pipe or device), 51 larger than limit, 41 a failed read. */
int ReadWholeImageFile(const char* path, uint64_t limit, std::vector<uint8_t>* out);

} // namespace qubex::image

#endif
