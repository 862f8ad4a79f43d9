/* The virtual camera's memory card: a folder on disk with numbered folders holding
 * numbered image files; the file ending tells the image kind. Scanning, reading,
 * storing uploads and deleting work on that folder directly. */
#ifndef RT70SIM_CARD_H
#define RT70SIM_CARD_H

#include "packet.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rt70sim {

enum ImageKind : uint8_t { KindJpeg = 1, KindTiff = 2, KindMovie = 3, KindAudio = 4 };

struct CardImage {
    uint16_t folder = 0;
    uint16_t number = 0;
    uint8_t kind = KindJpeg;
    std::string path;      // the image file itself
    std::string companion; // "N.thm" beside it (a JPEG still), or empty
    uint32_t size = 0;
};

struct CardFolder {
    uint16_t number = 0;
    std::string path;
    std::vector<CardImage> images; // ascending image numbers
    uint16_t highestNumber = 0;    // of every numbered file, companions included
};

struct Card {
    std::string root;
    std::vector<CardFolder> folders; // ascending folder numbers
};

/* Reads the card folder. A missing or unreadable folder gives an empty card and false. */
bool scanCard(const std::string& root, Card* card);

/* Kind of a file by its ending (jpg/jpeg, tif/tiff, mov, wav); 0 for any other. */
uint8_t kindOfFileName(const std::string& name);

const CardFolder* findFolder(const Card& card, uint16_t folder);
const CardImage* findImage(const Card& card, uint16_t folder, uint16_t number);
/* The image at a running index over all folders in order, or null. */
const CardImage* imageAtIndex(const Card& card, uint32_t index);
uint32_t imageCount(const Card& card);

/* Bytes taken by every file in the card folder and its folders. */
uint64_t cardUsedBytes(const std::string& root);

/* Reads a whole file of at most maxBytes; false when it cannot. */
bool readWholeFile(const std::string& path, Bytes* out, uint64_t maxBytes = 0xFFFFFFFFull);
/* Writes a file through a temporary name and a rename, so a failed write leaves nothing. */
bool writeFileAtomically(const std::string& path, const Bytes& data);

/* An uploaded image: its main file and the JPEG still sent with it (or empty). */
struct StoredUpload {
    uint8_t kind = KindJpeg;
    Bytes main;
    Bytes companion;
};
/* Stores the upload as the next number of the card's last folder (folder 100 on an empty
 * card); returns false when the files could not be written. */
bool storeUpload(const Card& card, const StoredUpload& upload, std::string* mainPath);
/* Removes the image and its companion; false when the image file could not be removed. */
bool deleteImage(const CardImage& image);

} // namespace rt70sim

#endif
