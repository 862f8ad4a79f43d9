/* The virtual RT70 camera's logic, free of sockets: one request packet in, the reply
 * packet out (or none), acting on the card folder, the registers and the button. */
#ifndef RT70SIM_CAMERA_H
#define RT70SIM_CAMERA_H

#include "card.h"
#include "faults.h"
#include "packet.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace rt70sim {

struct CameraOptions {
    char variant = '1';          // digit of the identify reply
    std::string letters = "DSC"; // letters of the identify reply
    uint64_t capacity = 0;       // card size in bytes; 0: no limit
    bool writeProtected = false;
    bool strictKinds = false; // command 26 must name the image's kind (status 2 otherwise)
};

/* What a run of block reads works on: set by the information commands 22, 26, 132. */
struct TransferSource {
    bool valid = false;
    bool thumbnail = false;
    uint16_t folder = 0;
    uint16_t number = 0;
    uint32_t infoSize = 0; // size reported; blocks beyond it are refused
    Bytes data;            // thumbnail, or the image file as read
    Bytes still;           // JPEG still for selector 0 on a TIFF (loaded when asked)
    bool stillLoaded = false;
    std::string path, companion;
    uint8_t kind = 0;
};

/* An announced upload being received block by block. */
struct UploadState {
    bool active = false;
    uint8_t code = 0;
    uint32_t sizes[2] = {0, 0};
    int files = 0;
    int file = 0;
    uint16_t nextBlock = 0;
    Bytes data[2];
    Bytes lastBlock; // the last accepted block packet, to re-acknowledge a repeat
};

struct Camera {
    std::string root;
    CameraOptions options;
    Card card;
    TransferSource source;
    UploadState upload;
    std::map<uint16_t, uint16_t> registers;
    int64_t clockOffset = 0; // camera clock = now() + offset, in seconds
    uint16_t button = 0;
    FaultPlan faults;
    std::map<uint8_t, uint32_t> requestCounts;
    std::function<int64_t()> now; // seconds since the epoch; the system clock when empty
    std::function<void(const std::string&)> log;
};

/* Sets up a fresh camera on a card folder; the clock starts at the PC's local time. */
void initCamera(Camera* camera, const std::string& root, const CameraOptions& options);

/* Handles one complete request packet. No reply: framing broken (bad complement or
 * checksum) or a dropped request. */
std::optional<Bytes> handleRequest(Camera& camera, const uint8_t* packet, size_t length);

/* The register addresses of the clock for this camera's variant digit. */
uint16_t clockRegister(char variant, int which); // which: 0 year, 1 date, 2 time

/* Sets the pending button event (0 clears). */
inline void pressButton(Camera& camera, uint16_t event) {
    camera.button = event;
}

} // namespace rt70sim

#endif
