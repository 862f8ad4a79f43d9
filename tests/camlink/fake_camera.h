/* A minimal server of the virtual camera link for the link library's own tests: it
 * serves each connection on its own thread, keeps written bytes as the "reply" it hands back,
 * and lets a test refuse names or break frames on purpose. */
#ifndef VOK_TESTS_CAMLINK_FAKE_CAMERA_H
#define VOK_TESTS_CAMLINK_FAKE_CAMERA_H

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class FakeCamera {
  public:
    explicit FakeCamera(const std::string& socketPath);
    ~FakeCamera();

    // Names answered with 1; everything else gets 0.
    void setAccepted(const std::set<std::string>& names);
    // Echo mode: what PIPE00 receives becomes the pending reply.
    std::atomic<uint16_t> button{0};
    // When set, a PIPE01 read answers more bytes than were asked for.
    std::atomic<bool> oversizedRead{false};

    std::vector<std::string> openLines();
    std::vector<uint32_t> controlCodes();

  private:
    void run();
    void serve(int fd);

    std::string path_;
    int listener_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<std::thread> workers_;
    std::vector<int> clients_;
    std::mutex mutex_;
    std::vector<uint8_t> pending_;
    std::set<std::string> accepted_{"DEV", "PIPE00", "PIPE01"};
    std::vector<std::string> lines_;
    std::vector<uint32_t> codes_;
};

#endif
