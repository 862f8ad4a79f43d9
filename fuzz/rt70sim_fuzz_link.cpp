/* Fuzz target: arbitrary host bytes into the virtual camera's link connections and,
 * through them, into its command handling, on a small card with a size limit. */
#include "demo_card.h"
#include "link_server.h"
#include "tiff_read.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string cardFolder() {
    static std::string dir;
    if (dir.empty()) {
        char pattern[] = "/tmp/rt70fuzzXXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        dir = pattern;
        std::atexit([] { (void)!std::system(("rm -rf '" + dir + "'").c_str()); });
        std::string error;
        rt70sim::makeDemoCard(dir + "/card", &error);
    }
    return dir + "/card";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static rt70sim::Camera camera;
    static bool ready = false;
    if (!ready) {
        rt70sim::CameraOptions options;
        options.capacity = 2 * 1024 * 1024; // uploads stop once the card is full
        rt70sim::initCamera(&camera, cardFolder(), options);
        ready = true;
    }
    rt70sim::LinkServer link(camera);
    // The first byte picks the open line; the second splits the rest into two feeds.
    static const char* const names[] = {"DEV\n", "PIPE00\n", "PIPE01\n", "PIPE00\nx"};
    if (size < 2)
        return 0;
    const std::string name = names[data[0] % 4];
    const size_t split = data[1] % (size - 1);
    data += 2;
    size -= 2;
    const int id = link.openConnection();
    rt70sim::Bytes out;
    if (link.feed(id, reinterpret_cast<const uint8_t*>(name.data()), name.size(), out)) {
        if (link.feed(id, data, split, out))
            link.feed(id, data + split, size - split, out);
    }
    rt70sim::Picture picture;
    rt70sim::readRgbTiff(rt70sim::Bytes(data, data + size), &picture);
    // Whole packets straight into the camera as well.
    camera.upload = rt70sim::UploadState{};
    rt70sim::handleRequest(camera, data, size);
    return 0;
}
