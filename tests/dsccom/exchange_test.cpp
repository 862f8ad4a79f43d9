// The exchange over an injected link: how packets are written and read, every retry rule of
// the ordinary command and the three block transfers, paged listings and identify.
#include <gtest/gtest.h>

#include "FakeCamera.h"

namespace {

class Exchange : public ::testing::Test {
  protected:
    TempHome home;
    FakeCamera camera;
    Observer observer;

    void SetUp() override {
        VokDscCom_SetApplicationInfo(nullptr, "test", 1, 5, "");
        ASSERT_EQ(DscCom_OpenConnection(), 1);
        observer.messages.clear();
    }
    void TearDown() override {
        DscCom_ReleaseBuffers();
        EXPECT_EQ(camera.openHandles, 0) << "every handle is closed after its transfer";
    }
    // Answers from a list, one per request; the last one repeats.
    void script(std::vector<Answer> answers) {
        auto list = std::make_shared<std::vector<Answer>>(std::move(answers));
        auto index = std::make_shared<size_t>(0);
        camera.responder = [list, index](const Bytes&) {
            size_t i = *index < list->size() ? *index : list->size() - 1;
            ++*index;
            return (*list)[i];
        };
    }
    static Answer reply(Bytes b) { return Answer{std::move(b)}; }
    static Answer none() { return Answer{{}, true}; }
};

TEST_F(Exchange, ShortPacketIsOneWriteAndReplyIsPeekedThenRead) {
    script({reply(Packet(8, 0, 3, {'D', 'S', 'C', '1'}))});
    ASSERT_EQ(DscCom_BuildPacket(DSC_TYPE_SHORT, 0, DSC_CMD_IDENTIFY, 0, nullptr), DSC_OK);
    EXPECT_EQ(DscCom_Exchange(), DSC_OK);
    EXPECT_EQ(camera.writeSizes, std::vector<uint32_t>{16});
    EXPECT_EQ(camera.writePipeOpens, 1);
    EXPECT_EQ(camera.readPipeOpens, 2);
    EXPECT_EQ(camera.deviceOpens, 3);
    EXPECT_EQ(DscCom_Record()->recvLength, 16u);
}

TEST_F(Exchange, ListAndSmallBlockPacketsGoInTwoWrites) {
    script({reply(Status(0, 0))});
    Bytes payload(256, 0x11);
    ASSERT_EQ(DscCom_BuildPacket(DSC_TYPE_LIST, 0, 99, 256, payload.data()), DSC_OK);
    EXPECT_EQ(DscCom_Exchange(), DSC_OK);
    Bytes small(1000, 0x12);
    ASSERT_EQ(DscCom_BuildPacket(DSC_TYPE_BLOCK1K, 0, 5, 1000, small.data()), DSC_OK);
    EXPECT_EQ(DscCom_Exchange(), DSC_OK);
    Bytes big(32768, 0x22);
    ASSERT_EQ(DscCom_BuildPacket(DSC_TYPE_BLOCK32K, 0, 5, 32768, big.data()), DSC_OK);
    EXPECT_EQ(DscCom_Exchange(), DSC_OK);
    EXPECT_EQ(camera.writeSizes, (std::vector<uint32_t>{256, 6, 1024, 6, 32774}));
    // Each part goes through its own preparation and pipe.
    EXPECT_EQ(camera.writePipeOpens, 5);
    ASSERT_EQ(camera.requests.size(), 3u);
    EXPECT_EQ(camera.requests[0], Packet(DSC_TYPE_LIST, 0, 99, payload));
    EXPECT_EQ(camera.requests[2].size(), 32774u);
}

TEST_F(Exchange, SendFailures) {
    script({reply(Status(0, 0))});
    ASSERT_EQ(DscCom_BuildPacket(DSC_TYPE_SHORT, 0, DSC_CMD_IDENTIFY, 0, nullptr), DSC_OK);
    camera.failWritePipe = true;
    EXPECT_EQ(DscCom_Exchange(), DSC_ERR_PIPE);
    EXPECT_EQ(observer.messages, std::vector<int>{2});
    camera.failWritePipe = false;
    camera.writeShortBy = 1;
    observer.messages.clear();
    EXPECT_EQ(DscCom_Exchange(), DSC_ERR_WRITE);
    EXPECT_EQ(observer.messages, std::vector<int>{14});
    camera.writeShortBy = 0;
    camera.failDevice = true;
    observer.messages.clear();
    EXPECT_EQ(DscCom_Exchange(), DSC_ERR_WRITE);
    EXPECT_EQ(observer.messages, std::vector<int>{14});
}

TEST_F(Exchange, EndOfConnectionFailsSilently) {
    camera.failDevice = true;
    EXPECT_EQ(DscCom_Command(DSC_CMD_END, 0, nullptr, 0, 1), DSC_ERR_WRITE);
    camera.failDevice = false;
    camera.failWritePipe = true;
    EXPECT_EQ(DscCom_Command(DSC_CMD_END, 0, nullptr, 0, 1), DSC_ERR_PIPE);
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(Exchange, ReceiveFailures) {
    script({none()});
    ASSERT_EQ(DscCom_BuildPacket(DSC_TYPE_SHORT, 0, DSC_CMD_IDENTIFY, 0, nullptr), DSC_OK);
    EXPECT_EQ(DscCom_Exchange(), DSC_ERR_NOANSWER);
    EXPECT_TRUE(observer.messages.empty());

    Answer cut = reply(Packet(8, 0, 3));
    cut.shortBy = 3;
    script({cut});
    EXPECT_EQ(DscCom_Exchange(), DSC_ERR_REPLY);
    EXPECT_EQ(observer.messages, std::vector<int>{15});

    script({reply(Packet(8, 0, 3))});
    camera.failReadPipe = true;
    observer.messages.clear();
    EXPECT_EQ(DscCom_Exchange(), DSC_ERR_PIPE);
    EXPECT_EQ(observer.messages, std::vector<int>{2});
}

TEST_F(Exchange, UnknownTypeByteIsNotReadFurther) {
    Bytes odd = Packet(8, 0, 3);
    odd[0] = 0x77;
    script({reply(odd)});
    EXPECT_EQ(DscCom_Command(DSC_CMD_IDENTIFY, 0, nullptr, 0, 3), DSC_ERR_FRAME);
    EXPECT_EQ(camera.readPipeOpens, 1);
    EXPECT_EQ(observer.messages, std::vector<int>{8});
}

TEST_F(Exchange, NoAnswerAndBadReplyAreRetriedThreeTimes) {
    script({none(), reply(Packet(8, 0, 11, U32(3)))});
    EXPECT_EQ(DscCom_Command(DSC_CMD_COUNT_FOLDERS, 0, nullptr, 0, 11), DSC_OK);
    EXPECT_EQ(camera.requests.size(), 2u);
    EXPECT_TRUE(observer.messages.empty());

    camera.requests.clear();
    script({none()});
    EXPECT_EQ(DscCom_Command(DSC_CMD_COUNT_FOLDERS, 0, nullptr, 0, 11), DSC_ERR_NOANSWER);
    EXPECT_EQ(camera.requests.size(), 3u);
    EXPECT_EQ(observer.messages, std::vector<int>{14});

    camera.requests.clear();
    observer.messages.clear();
    Bytes bad = Packet(8, 0, 3, {'D', 'S', 'C', '1'});
    bad[14] ^= 0x40;
    script({reply(bad)});
    EXPECT_EQ(DscCom_Command(DSC_CMD_IDENTIFY, 0, nullptr, 0, 3), DSC_ERR_REPLY);
    EXPECT_EQ(camera.requests.size(), 3u);
    EXPECT_EQ(observer.messages, std::vector<int>{14});

    camera.requests.clear();
    observer.messages.clear();
    script({reply(Status(0, 3)), reply(Status(0, 3)), reply(Status(0, 0))});
    EXPECT_EQ(DscCom_Command(DSC_CMD_DELETE, 0, nullptr, 0, 1), DSC_OK);
    EXPECT_EQ(camera.requests.size(), 3u);
    // The same packet every time.
    EXPECT_EQ(camera.requests[0], camera.requests[2]);
}

TEST_F(Exchange, ShortReadShowsReadMessageEachTimeThenAccess) {
    Answer cut = reply(Packet(8, 0, 3));
    cut.shortBy = 1;
    script({cut});
    EXPECT_EQ(DscCom_Command(DSC_CMD_IDENTIFY, 0, nullptr, 0, 3), DSC_ERR_REPLY);
    EXPECT_EQ(observer.messages, (std::vector<int>{15, 15, 15, 14}));
}

TEST_F(Exchange, OtherResultsEndTheCommandAtOnce) {
    script({reply(Status(0, 2))});
    EXPECT_EQ(DscCom_Command(DSC_CMD_DELETE, 0, nullptr, 0, 1), DSC_ERR_STATUS2);
    script({reply(Packet(8, 1, 3))});
    EXPECT_EQ(DscCom_Command(DSC_CMD_IDENTIFY, 0, nullptr, 0, 3), DSC_ERR_FRAME);
    EXPECT_EQ(camera.requests.size(), 2u);
    EXPECT_EQ(observer.messages, std::vector<int>{8});
}

TEST_F(Exchange, EndOfConnectionIsSentOnceWithoutRetry) {
    script({none()});
    EXPECT_EQ(DscCom_Command(DSC_CMD_END, 0, nullptr, 0, 1), DSC_ERR_NOANSWER);
    EXPECT_EQ(camera.requests.size(), 1u);
    EXPECT_TRUE(observer.messages.empty());
}

// Thumbnail blocks: exchange failures wait and retry, check failures retry at once,
// "no such item" ends at once, message 14 after the third failure.
TEST_F(Exchange, ThumbnailBlockRetries) {
    Bytes block(32768);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<uint8_t>(i * 7);
    uint8_t ref[4] = {100, 0, 7, 0};
    std::vector<uint8_t> out(32768);

    Answer cut = reply(Packet(2, 1, 5, block));
    cut.shortBy = 10;
    script({none(), cut, reply(Packet(2, 1, 5, block))});
    EXPECT_EQ(DscCom_ReadBlock(DSC_BLOCK_THUMBNAIL, 30, ref, 4, 1, 0, out.data(), 32768), DSC_OK);
    EXPECT_EQ(out, block);
    EXPECT_EQ(camera.requests.size(), 3u);
    EXPECT_EQ(camera.requests[0], Packet(8, 1, 30, {100, 0, 7, 0, 1, 0, 0}));

    camera.requests.clear();
    observer.messages.clear();
    script({reply(Packet(2, 9, 5, block))});
    EXPECT_EQ(DscCom_ReadBlock(DSC_BLOCK_THUMBNAIL, 30, ref, 4, 1, 0, out.data(), 32768),
              DSC_ERR_FRAME);
    EXPECT_EQ(camera.requests.size(), 3u);
    EXPECT_EQ(observer.messages, (std::vector<int>{8, 14})); // message 8 only the third time

    camera.requests.clear();
    observer.messages.clear();
    script({reply(Status(1, 6))});
    EXPECT_EQ(DscCom_ReadBlock(DSC_BLOCK_THUMBNAIL, 30, ref, 4, 1, 0, out.data(), 32768),
              DSC_ERR_NOITEM);
    EXPECT_EQ(camera.requests.size(), 1u);
    EXPECT_TRUE(observer.messages.empty());

    camera.requests.clear();
    script({reply(Packet(2, 1, 5, block))});
    camera.failReadPipe = true;
    EXPECT_EQ(DscCom_ReadBlock(DSC_BLOCK_THUMBNAIL, 30, ref, 4, 1, 0, out.data(), 32768),
              DSC_ERR_PIPE);
    EXPECT_EQ(camera.requests.size(), 1u);
}

// Image blocks: no answer retries, a short read ends the read, check failures retry,
// and three failures return the last result without message 14.
TEST_F(Exchange, ImageBlockRetries) {
    Bytes block(32768, 0x5A);
    uint8_t index[4] = {3, 0, 0, 0};
    std::vector<uint8_t> out(32768);
    script({none(), none(), reply(Packet(2, 0x2C, 5, block))});
    EXPECT_EQ(DscCom_ReadBlock(DSC_BLOCK_IMAGE, 133, index, 4, 300, 2, out.data(), 32768), DSC_OK);
    EXPECT_EQ(out, block);
    EXPECT_EQ(camera.requests[0], Packet(8, 0x2C, 133, {3, 0, 0, 0, 0x2C, 1, 2}));

    camera.requests.clear();
    observer.messages.clear();
    Answer cut = reply(Packet(2, 0x2C, 5, block));
    cut.shortBy = 1;
    script({cut});
    EXPECT_EQ(DscCom_ReadBlock(DSC_BLOCK_IMAGE, 133, index, 4, 300, 2, out.data(), 32768),
              DSC_ERR_REPLY);
    EXPECT_EQ(camera.requests.size(), 1u);

    camera.requests.clear();
    observer.messages.clear();
    script({reply(Status(0x2C, 6))});
    EXPECT_EQ(DscCom_ReadBlock(DSC_BLOCK_IMAGE, 133, index, 4, 300, 2, out.data(), 32768),
              DSC_ERR_REPLY);
    EXPECT_EQ(camera.requests.size(), 3u);
    EXPECT_TRUE(observer.messages.empty());

    // A well-formed reply that cannot fill a block is a data error, retried.
    camera.requests.clear();
    script({reply(Packet(16, 0x2C, 5, {1, 2})), reply(Packet(2, 0x2C, 5, block))});
    EXPECT_EQ(DscCom_ReadBlock(DSC_BLOCK_IMAGE, 133, index, 4, 300, 2, out.data(), 32768), DSC_OK);
    EXPECT_EQ(camera.requests.size(), 2u);
}

// Block send: no answer retries at once, status 2 retries after a pause, anything else shows
// message 6; three failures show message 14. The reply carries sequence 0.
TEST_F(Exchange, BlockSendRetries) {
    Bytes data(1000, 0x33);
    script({none(), reply(Status(0, 2)), reply(Status(0, 0))});
    EXPECT_EQ(DscCom_SendBlock(300, data.data(), 1000), DSC_OK);
    ASSERT_EQ(camera.requests.size(), 3u);
    EXPECT_EQ(camera.requests[0], Packet(2, 44, 5, data));
    EXPECT_EQ(camera.writeSizes, (std::vector<uint32_t>{32774, 32774, 32774}));
    EXPECT_TRUE(observer.messages.empty());

    camera.requests.clear();
    script({reply(Status(0, 2))});
    EXPECT_EQ(DscCom_SendBlock(1, data.data(), 1000), DSC_ERR_STATUS2);
    EXPECT_EQ(camera.requests.size(), 3u);
    EXPECT_EQ(observer.messages, std::vector<int>{14});

    camera.requests.clear();
    observer.messages.clear();
    script({reply(Status(0, 4))});
    EXPECT_EQ(DscCom_SendBlock(1, data.data(), 1000), DSC_ERR_MEMFULL);
    EXPECT_EQ(camera.requests.size(), 1u);
    EXPECT_EQ(observer.messages, std::vector<int>{6});

    camera.requests.clear();
    observer.messages.clear();
    script({reply(Status(1, 0))}); // the block's own index instead of 0
    EXPECT_EQ(DscCom_SendBlock(1, data.data(), 1000), DSC_ERR_FRAME);
    EXPECT_EQ(observer.messages, (std::vector<int>{8, 6}));
}

TEST_F(Exchange, SmallBlockTransportUsesTypeOne) {
    DscCom_Record()->transport = 0;
    Bytes data(1024, 0x44);
    script({reply(Status(0, 0))});
    EXPECT_EQ(DscCom_SendBlock(0, data.data(), 1024), DSC_OK);
    EXPECT_EQ(camera.writeSizes, (std::vector<uint32_t>{1024, 6}));
    DscCom_Record()->transport = 1;
}

// A camera that answers count and list requests for `total` entries, 50 per page.
void pagedCamera(FakeCamera& camera, uint32_t total, std::vector<int>* pagesSeen) {
    camera.responder = [total, pagesSeen](const Bytes& rq) {
        uint8_t page = rq[1];
        pagesSeen->push_back(page);
        uint32_t first = page * 50u;
        uint32_t here = first >= total ? 0 : (total - first > 50 ? 50 : total - first);
        switch (rq[3]) {
        case DSC_CMD_COUNT_FOLDERS:
            return Answer{Packet(8, page, 11, U32(here))};
        case DSC_CMD_COUNT_IMAGES:
            return Answer{Packet(8, page, 8, U16(here))};
        case DSC_CMD_LIST_FOLDERS:
        case DSC_CMD_LIST_IMAGES: {
            Bytes payload;
            for (uint32_t i = 0; i < here; ++i)
                payload = Cat(payload, U16(first + i + 100));
            return Answer{Packet(16, page, rq[3] + 1, payload)};
        }
        default:
            return Answer{};
        }
    };
}

TEST_F(Exchange, PagingAt49And50And51) {
    for (uint32_t total : {0u, 49u, 50u, 51u, 100u, 101u}) {
        std::vector<int> pages;
        pagedCamera(camera, total, &pages);
        int32_t count = -1;
        ASSERT_EQ(DscCom_CountPaged(DSC_CMD_COUNT_FOLDERS, nullptr, 0, &count), DSC_OK);
        EXPECT_EQ(count, static_cast<int32_t>(total));
        // A page of exactly 50 asks for one more; a page under 50 ends the count.
        std::vector<int> wantPages;
        for (uint32_t p = 0; p <= total / 50; ++p)
            wantPages.push_back(static_cast<int>(p));
        EXPECT_EQ(pages, wantPages) << total;

        pages.clear();
        std::vector<uint16_t> numbers(total + 1, 0xFFFF);
        ASSERT_EQ(DscCom_ListPaged(DSC_CMD_LIST_FOLDERS, nullptr, 0, count, numbers.data()),
                  DSC_OK);
        EXPECT_EQ(pages.size(), (total + 49) / 50) << total;
        for (uint32_t i = 0; i < total; ++i)
            ASSERT_EQ(numbers[i], i + 100);
        EXPECT_EQ(numbers[total], 0xFFFF) << "nothing written past the count";
    }
}

TEST_F(Exchange, ImageCountCarriesTheFolder) {
    std::vector<int> pages;
    pagedCamera(camera, 50, &pages);
    uint8_t folder[2] = {0x65, 0x00};
    int32_t count = 0;
    ASSERT_EQ(DscCom_CountPaged(DSC_CMD_COUNT_IMAGES, folder, 2, &count), DSC_OK);
    EXPECT_EQ(count, 50);
    ASSERT_EQ(camera.requests.size(), 2u);
    EXPECT_EQ(camera.requests[1], Packet(8, 1, 7, {0x65, 0}));
}

TEST_F(Exchange, ListReplyTooSmallForItsEntriesIsADataError) {
    camera.responder = [](const Bytes&) { return Answer{Packet(8, 0, 13, U16(1))}; };
    std::vector<uint16_t> numbers(40);
    EXPECT_EQ(DscCom_ListPaged(DSC_CMD_LIST_FOLDERS, nullptr, 0, 40, numbers.data()),
              DSC_ERR_FRAME);
    EXPECT_EQ(observer.messages, std::vector<int>{8});
}

TEST_F(Exchange, EndlessListingIsCut) {
    camera.responder = [](const Bytes& rq) { return Answer{Packet(8, rq[1], 11, U32(50))}; };
    int32_t count = 0;
    EXPECT_EQ(DscCom_CountPaged(DSC_CMD_COUNT_FOLDERS, nullptr, 0, &count), DSC_ERR_FRAME);
    EXPECT_EQ(camera.requests.size(), 256u);
    camera.requests.clear();
    camera.responder = [](const Bytes& rq) {
        return Answer{Packet(8, rq[1], 11, U32(0xF0000000u))};
    };
    EXPECT_EQ(DscCom_CountPaged(DSC_CMD_COUNT_FOLDERS, nullptr, 0, &count), DSC_ERR_FRAME);
    EXPECT_LE(camera.requests.size(), 2u);
}

TEST_F(Exchange, ListingOfTheLargestCountIsRefusedNotSkipped) {
    uint16_t number = 0;
    EXPECT_EQ(DscCom_ListPaged(DSC_CMD_LIST_FOLDERS, nullptr, 0, INT32_MAX, &number),
              DSC_ERR_FRAME);
    EXPECT_EQ(observer.messages, std::vector<int>{8});
    EXPECT_TRUE(camera.requests.empty());
}

TEST_F(Exchange, CountAllSumsUntilTheEndMark) {
    camera.responder = [](const Bytes& rq) {
        uint32_t counts[] = {10, 20, 0xFFFFFFFFu};
        return Answer{Packet(8, rq[1], 131, U32(counts[rq[1] < 2 ? rq[1] : 2]))};
    };
    int32_t total = 0;
    EXPECT_EQ(DscCom_CountAll(&total), DSC_OK);
    EXPECT_EQ(total, 30);
    camera.responder = [](const Bytes& rq) {
        return Answer{Packet(8, rq[1], 131, U32(0xFFFFFFFFu))};
    };
    EXPECT_EQ(DscCom_CountAll(&total), DSC_ERR_NOTHING);
    EXPECT_EQ(total, 0);
}

TEST_F(Exchange, IdentifyDigits) {
    struct {
        char digit;
        int variant;
    } good[] = {{'1', 1}, {'2', 2}, {'3', 4}, {'6', 5}};
    for (auto k : good) {
        script({reply(Packet(8, 0, 3, {'D', 'S', 'C', static_cast<uint8_t>(k.digit)}))});
        DscCom_Record()->variant = 0;
        EXPECT_EQ(DscCom_Identify(), DSC_OK) << k.digit;
        EXPECT_EQ(VokDscCom_GetCameraVariant(), k.variant);
    }
    EXPECT_TRUE(observer.messages.empty());
    for (Bytes bad : {Bytes{'D', 'S', 'C', '4'}, Bytes{'D', 'S', 'C', '0'},
                      Bytes{'D', 'S', 'X', '1'}, Bytes{}}) {
        script({reply(Packet(8, 0, 3, bad))});
        EXPECT_EQ(DscCom_Identify(), DSC_ERR_FRAME);
    }
    EXPECT_EQ(observer.count(8), 4);
    EXPECT_EQ(camera.requests.front(), Packet(8, 0, 2));
}

TEST_F(Exchange, ImageInfoAsksLikeThePickingTransfer) {
    camera.responder = [](const Bytes& rq) {
        if (rq[3] == DSC_CMD_THUMB_INFO)
            return Answer{Packet(8, 0, 29, Cat({3}, U32(4000)))};
        return Answer{Packet(8, 0, 29, Cat({3}, U32(123456)))};
    };
    int32_t kind = 0;
    uint32_t size = 0;
    ASSERT_EQ(DscCom_ImageInfo(0x64, 2, 2, &kind, &size), DSC_OK);
    EXPECT_EQ(camera.requests.back(), Packet(8, 0, 26, {0x64, 0, 2, 0, 2}));
    EXPECT_EQ(size, 123456u);
}

// A failure shown where it was found is not reported again through the result-code table,
// also after the end command; one nobody has shown gets its table message once.
TEST_F(Exchange, FailureIsReportedOnce) {
    camera.responder = [](const Bytes&) { return Answer{Packet(8, 0, 29, Cat({7}, U32(10)))}; };
    int32_t kind = 0;
    uint32_t size = 0;
    EXPECT_EQ(VokDscCom_GetImageInfo(100, 1, &kind, &size), DSC_ERR_FRAME);
    EXPECT_EQ(VokDscCom_ReportResult(DSC_ERR_FRAME), 0);
    EXPECT_EQ(observer.messages, std::vector<int>{8});

    observer.messages.clear();
    Answer cut = reply(Packet(8, 0, 3));
    cut.shortBy = 1;
    script({cut});
    EXPECT_EQ(DscCom_Command(DSC_CMD_IDENTIFY, 0, nullptr, 0, 3), DSC_ERR_REPLY);
    script({reply(Status(0, 0))});
    EXPECT_EQ(DscCom_Command(DSC_CMD_END, 0, nullptr, 0, 1), DSC_OK);
    EXPECT_EQ(VokDscCom_ReportResult(DSC_ERR_REPLY), 0);
    EXPECT_EQ(observer.messages, (std::vector<int>{15, 15, 15, 14}));

    observer.messages.clear();
    script({reply(Status(0, 2))});
    EXPECT_EQ(DscCom_Command(DSC_CMD_DELETE, 0, nullptr, 0, 1), DSC_ERR_STATUS2);
    EXPECT_EQ(VokDscCom_ReportResult(DSC_ERR_STATUS2), 4);
    EXPECT_EQ(VokDscCom_ReportResult(DSC_ERR_STATUS2), 0);
    EXPECT_EQ(observer.messages, std::vector<int>{4});
}

TEST_F(Exchange, CloseSendsEndEvenAfterFailures) {
    script({none()});
    EXPECT_EQ(DscCom_Command(DSC_CMD_IDENTIFY, 0, nullptr, 0, 3), DSC_ERR_NOANSWER);
    camera.requests.clear();
    observer.notes.clear();
    observer.values.clear();
    DscCom_CloseConnection();
    ASSERT_EQ(camera.requests.size(), 1u);
    EXPECT_EQ(camera.requests[0], Packet(8, 0, 31));
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
    ASSERT_EQ(observer.notes.size(), 1u);
    EXPECT_EQ(observer.notes[0], std::make_pair(WM_DSC_STATUS, uintptr_t(0)));
    EXPECT_EQ(observer.values[0], 0);
}

} // namespace
