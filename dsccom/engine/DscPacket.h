/* Camera packets as pure functions over a caller's buffer: framing a request and judging a
 * reply. No connection record, no message boxes: the verdict names the message that reports a
 * failure and the caller shows it, so the button monitor can frame its commands the same way. */
#ifndef DSC_PACKET_H
#define DSC_PACKET_H

#include <stdint.h>

#include "VokComRT70.h"

/* What a reply must be to pass. */
struct DscReplyRule {
    uint8_t sequence; /* byte 1 the reply must carry (byte 2 its complement) */
    uint8_t request;  /* command code of the request it answers */
    int expected;     /* reply code */
    int thumbnail;    /* the request read a thumbnail block: status 6 means "no such item" */
};

/* The verdict on a reply: a result code, and the catalogue message that reports it where it is
 * found (0: none; the result-code table speaks for the rest later). */
struct DscVerdict {
    int result;
    int message;
};

VOK_BEGIN_DECLS

/* Total length of a packet of type (16, 262, 1030 or 32774); 0 for any other type. */
uint32_t DscPacket_Length(int type);
/* Sum modulo 256 of bytes 1 .. total-3: the type byte is never summed. total >= 3. */
uint8_t DscPacket_Checksum(const uint8_t* packet, uint32_t total);
/* Frames a packet into buffer (capacity bytes): header, payload, zeroed rest, checksum.
 * Returns its total length; 0 when the type is unknown or payload or buffer are too small. */
uint32_t DscPacket_Build(uint8_t* buffer, uint32_t capacity, int type, uint8_t sequence,
                         uint8_t command, const void* payload, uint32_t payloadLength);
/* Judges the got bytes that arrived; never reads past them. */
DscVerdict DscPacket_Check(const uint8_t* reply, uint32_t got, const DscReplyRule* rule);
/* The catalogue message that reports a result code, 0 for none. */
int DscPacket_ResultMessage(int result);

VOK_END_DECLS

#endif
