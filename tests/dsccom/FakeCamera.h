// A camera behind an injected link, for the engine tests: it records every handle opened
// and every write, assembles requests by their type byte like the real camera, and answers
// through a responder function that a test supplies. Header-only; one instance at a time.
#ifndef DSCCOM_FAKE_CAMERA_H
#define DSCCOM_FAKE_CAMERA_H

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DscEngine.h"
#include "DscPacket.h"
#include "vok_test_env.h"

using Bytes = std::vector<uint8_t>;

// A reply packet framed by the packet rules, with a right checksum.
inline Bytes Packet(int type, uint8_t seq, uint8_t code, const Bytes& payload = {}) {
    uint32_t total = DscPacket_Length(type);
    Bytes p(total, 0);
    p[0] = static_cast<uint8_t>(type);
    p[1] = seq;
    p[2] = static_cast<uint8_t>(~seq);
    p[3] = code;
    for (size_t i = 0; i < payload.size() && 4 + i < total - 2; ++i)
        p[4 + i] = payload[i];
    unsigned sum = 0;
    for (uint32_t i = 1; i + 2 < total; ++i)
        sum += p[i];
    p[total - 2] = static_cast<uint8_t>(sum);
    return p;
}

inline Bytes Status(uint8_t seq, uint8_t status) {
    return Packet(DSC_TYPE_SHORT, seq, DSC_REPLY_STATUS, {status});
}

inline Bytes U16(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
}

inline Bytes U32(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

inline Bytes Cat(Bytes a, const Bytes& b) {
    for (uint8_t byte : b) // not insert(): g++ 12 warns falsely on one-byte vectors
        a.push_back(byte);
    return a;
}

// What the camera does with one complete request.
struct Answer {
    Bytes reply;        // empty: no reply pending (read preparation fails)
    bool none = false;  // explicit "no answer"
    size_t shortBy = 0; // the full read delivers this many bytes fewer
};

struct FakeCamera {
    std::function<Answer(const Bytes& request)> responder;
    std::vector<Bytes> requests;      // complete requests in order
    std::vector<uint32_t> writeSizes; // every write call
    int deviceOpens = 0, writePipeOpens = 0, readPipeOpens = 0, openHandles = 0;
    bool failDevice = false, failWritePipe = false, failReadPipe = false;
    uint32_t writeShortBy = 0;

    Bytes incoming;
    Answer pending;
    bool hasReply = false;

    static FakeCamera*& current() {
        static FakeCamera* instance = nullptr;
        return instance;
    }

    FakeCamera() {
        current() = this;
        DscLink link = {openDev,     openFile,     getReadSize, setWriteSize, preRead,
                        preReadRt70, preWriteRt70, writePipe,   readPipe,     closeHandle};
        DscCom_SetLinkOverride(&link);
    }
    ~FakeCamera() {
        current() = nullptr;
        DscCom_SetLinkOverride(nullptr);
    }

    // Requests whose command byte is `command`.
    int count(uint8_t command) const {
        int n = 0;
        for (const Bytes& r : requests)
            n += r.size() > 3 && r[3] == command;
        return n;
    }

    static VokUsbHandle openDev() {
        FakeCamera* c = current();
        c->deviceOpens++;
        if (c->failDevice)
            return VOKUSB_INVALID_HANDLE;
        c->openHandles++;
        return 1;
    }
    static VokUsbHandle openFile(const char* name) {
        FakeCamera* c = current();
        bool write = strcmp(name, "PIPE00") == 0;
        bool read = strcmp(name, "PIPE01") == 0;
        EXPECT_TRUE(write || read) << name;
        (write ? c->writePipeOpens : c->readPipeOpens)++;
        if ((write && c->failWritePipe) || (read && c->failReadPipe))
            return VOKUSB_INVALID_HANDLE;
        c->openHandles++;
        return write ? 2 : 3;
    }
    static int getReadSize(VokUsbHandle, uint16_t* v) {
        *v = 0;
        return 1;
    }
    static int setWriteSize(VokUsbHandle, const uint16_t*) { return 1; }
    static int preRead(VokUsbHandle, const uint16_t*) { return 1; }
    static int preReadRt70(VokUsbHandle h, const uint16_t* v) {
        EXPECT_EQ(h, 1);
        EXPECT_EQ(*v, 0);
        return current()->hasReply ? 1 : 0;
    }
    static int preWriteRt70(VokUsbHandle h, const uint16_t* v) {
        EXPECT_EQ(h, 1);
        EXPECT_EQ(*v, 0);
        return 1;
    }
    static int writePipe(VokUsbHandle h, const void* data, uint32_t length, uint32_t* done) {
        FakeCamera* c = current();
        EXPECT_EQ(h, 2);
        c->writeSizes.push_back(length);
        uint32_t n = length > c->writeShortBy ? length - c->writeShortBy : 0;
        const uint8_t* p = static_cast<const uint8_t*>(data);
        c->incoming.insert(c->incoming.end(), p, p + n);
        *done = n;
        uint32_t total = c->incoming.empty() ? 0 : DscPacket_Length(c->incoming[0]);
        if (total && c->incoming.size() >= total) {
            Bytes request(c->incoming.begin(), c->incoming.begin() + total);
            c->incoming.erase(c->incoming.begin(), c->incoming.begin() + total);
            c->requests.push_back(request);
            Answer a = c->responder ? c->responder(request) : Answer{};
            c->pending = a;
            c->hasReply = !a.none && !a.reply.empty();
        }
        return 1;
    }
    static int readPipe(VokUsbHandle h, void* data, uint32_t length, uint32_t* done) {
        FakeCamera* c = current();
        EXPECT_EQ(h, 3);
        *done = 0;
        if (!c->hasReply)
            return 1;
        const Bytes& r = c->pending.reply;
        size_t n = length < r.size() ? length : r.size();
        bool whole = length >= r.size();
        if (whole && c->pending.shortBy)
            n = n > c->pending.shortBy ? n - c->pending.shortBy : 0;
        memcpy(data, r.data(), n);
        *done = static_cast<uint32_t>(n);
        if (whole)
            c->hasReply = false;
        return 1;
    }
    static int closeHandle(VokUsbHandle) {
        current()->openHandles--;
        return 1;
    }
};

// Records the catalogue messages the engine shows and the notifications it sends.
struct Observer {
    std::vector<int> messages;
    std::vector<std::pair<unsigned, uintptr_t>> notes; // message, code
    std::vector<intptr_t> values;
    std::function<intptr_t(unsigned, uintptr_t, intptr_t)> answer;

    static Observer*& current() {
        static Observer* instance = nullptr;
        return instance;
    }
    Observer() {
        current() = this;
        DscCom_SetMessageHook(onMessage);
        VokDscCom_SetNotifyHandler(onNotify, this);
    }
    ~Observer() {
        DscCom_SetMessageHook(nullptr);
        VokDscCom_SetNotifyHandler(nullptr, nullptr);
        current() = nullptr;
    }
    int count(int number) const {
        int n = 0;
        for (int m : messages)
            n += m == number;
        return n;
    }
    static void onMessage(int number) { current()->messages.push_back(number); }
    static intptr_t onNotify(void* ctx, unsigned message, uintptr_t code, intptr_t value) {
        auto* o = static_cast<Observer*>(ctx);
        o->notes.push_back({message, code});
        o->values.push_back(value);
        return o->answer ? o->answer(message, code, value) : 0;
    }
};

// How many of `total` items the camera lists on page `page`, at fifty a page.
inline int PageSize(int total, int page) {
    int left = total - page * 50;
    return left < 0 ? 0 : (left > 50 ? 50 : left);
}

// A fresh settings folder for the test, so that registry values never leak between tests.
struct TempHome : voktest::TempHome {
    TempHome() : voktest::TempHome("dsccom-test") {}
};

#endif
