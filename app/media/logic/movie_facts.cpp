/* Movie facts and first pictures over FFmpeg. The functions are bound by name from the
 * libraries of the start-up check, so that the program itself does not need them to load:
 * without them every movie simply has no facts and no picture. */
#include "movie_facts.h"

#include "movie_library.h"
#include "vok_dib.h"

#include <cassert>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

namespace qubex::media {
namespace {

/* Nothing beyond this many pixels is decoded into a bitmap. */
constexpr uint64_t kMaxPicturePixels = uint64_t(64) << 20;

struct Av {
    decltype(&avformat_open_input) open_input;
    decltype(&avformat_find_stream_info) find_stream_info;
    decltype(&avformat_close_input) close_input;
    decltype(&av_read_frame) read_frame;
    decltype(&avcodec_find_decoder) find_decoder;
    decltype(&avcodec_alloc_context3) alloc_context;
    decltype(&avcodec_parameters_to_context) parameters_to_context;
    decltype(&avcodec_open2) open_codec;
    decltype(&avcodec_free_context) free_context;
    decltype(&avcodec_send_packet) send_packet;
    decltype(&avcodec_receive_frame) receive_frame;
    decltype(&av_packet_alloc) packet_alloc;
    decltype(&av_packet_free) packet_free;
    decltype(&av_packet_unref) packet_unref;
    decltype(&av_get_bits_per_sample) bits_per_sample;
    decltype(&av_frame_alloc) frame_alloc;
    decltype(&av_frame_free) frame_free;
    decltype(&av_log_set_level) log_set_level;
    decltype(&sws_getContext) sws_get;
    decltype(&sws_scale) sws_run;
    decltype(&sws_freeContext) sws_free;
};

template <class F> bool Bind(void* library, const char* name, F* out) {
    *out = library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
    return *out != nullptr;
}

/* Bound once for the life of the process; null when a library or a name is missing. */
const Av* Bound() {
    static Av av;
    static const bool ok = [] {
        void* util = OpenMovieLibrary(MovieLibrary::Util);
        void* codec = OpenMovieLibrary(MovieLibrary::Codec);
        void* format = OpenMovieLibrary(MovieLibrary::Format);
        void* scale = OpenMovieLibrary(MovieLibrary::Scale);
        const bool all = Bind(format, "avformat_open_input", &av.open_input) &&
                         Bind(format, "avformat_find_stream_info", &av.find_stream_info) &&
                         Bind(format, "avformat_close_input", &av.close_input) &&
                         Bind(format, "av_read_frame", &av.read_frame) &&
                         Bind(codec, "avcodec_find_decoder", &av.find_decoder) &&
                         Bind(codec, "avcodec_alloc_context3", &av.alloc_context) &&
                         Bind(codec, "avcodec_parameters_to_context", &av.parameters_to_context) &&
                         Bind(codec, "avcodec_open2", &av.open_codec) &&
                         Bind(codec, "avcodec_free_context", &av.free_context) &&
                         Bind(codec, "avcodec_send_packet", &av.send_packet) &&
                         Bind(codec, "avcodec_receive_frame", &av.receive_frame) &&
                         Bind(codec, "av_packet_alloc", &av.packet_alloc) &&
                         Bind(codec, "av_packet_free", &av.packet_free) &&
                         Bind(codec, "av_packet_unref", &av.packet_unref) &&
                         Bind(codec, "av_get_bits_per_sample", &av.bits_per_sample) &&
                         Bind(util, "av_frame_alloc", &av.frame_alloc) &&
                         Bind(util, "av_frame_free", &av.frame_free) &&
                         Bind(util, "av_log_set_level", &av.log_set_level) &&
                         Bind(scale, "sws_getContext", &av.sws_get) &&
                         Bind(scale, "sws_scale", &av.sws_run) &&
                         Bind(scale, "sws_freeContext", &av.sws_free);
        if (all)
            av.log_set_level(AV_LOG_QUIET); // a damaged file is answered, not logged
        return all;
    }();
    return ok ? &av : nullptr;
}

/* An opened and probed movie, closed when it goes. */
struct Input {
    explicit Input(const Av& av, const std::string& path) : av_(av) {
        if (av.open_input(&context, path.c_str(), nullptr, nullptr) < 0) {
            context = nullptr;
            return;
        }
        // QuickTime and AVI headers describe their streams; only a file whose headers leave
        // a picture size or sound form open is probed by decoding, which costs far more.
        bool described = context->nb_streams > 0;
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            const AVCodecParameters* p = context->streams[i]->codecpar;
            if ((p->codec_type == AVMEDIA_TYPE_VIDEO && (p->width <= 0 || p->height <= 0)) ||
                (p->codec_type == AVMEDIA_TYPE_AUDIO && p->sample_rate <= 0))
                described = false;
        }
        if (!described && av.find_stream_info(context, nullptr) < 0)
            av.close_input(&context);
    }
    ~Input() {
        if (context)
            av_.close_input(&context);
    }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    const Av& av_;
    AVFormatContext* context = nullptr;
};

AVStream* FirstStream(AVFormatContext* context, AVMediaType type) {
    for (unsigned i = 0; i < context->nb_streams; ++i)
        if (context->streams[i]->codecpar->codec_type == type)
            return context->streams[i];
    return nullptr;
}

/* A four-character code as text in reading order; empty unless all four are printable. */
void TagText(uint32_t tag, char out[5]) {
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((tag >> (8 * i)) & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            std::memset(out, 0, 5);
            return;
        }
        out[i] = c;
    }
    out[4] = 0;
}

/* The sound format as QuickTime names it; files of other containers get the name of the
 * same sample form. */
void AudioFormatText(const AVCodecParameters* p, char out[5]) {
    TagText(p->codec_tag, out);
    if (out[0])
        return;
    const char* name = p->codec_id == AV_CODEC_ID_PCM_U8      ? "raw "
                       : p->codec_id == AV_CODEC_ID_PCM_S16BE ? "twos"
                       : p->codec_id == AV_CODEC_ID_PCM_S16LE ? "sowt"
                                                              : "";
    std::snprintf(out, 5, "%s", name);
}

/* Size in bytes of the stream's first packet; 0 when there is none. */
int32_t FirstPacketSize(const Av& av, AVFormatContext* context, int stream) {
    AVPacket* packet = av.packet_alloc();
    if (!packet)
        return 0;
    int32_t size = 0;
    while (av.read_frame(context, packet) >= 0) {
        const bool found = packet->stream_index == stream;
        if (found)
            size = packet->size;
        av.packet_unref(packet);
        if (found)
            break;
    }
    av.packet_free(&packet);
    return size;
}

/* Pictures a second of a video stream: 0 for one picture. */
int32_t VideoRate(const AVStream* s) {
    if (s->nb_frames == 1)
        return 0;
    if (s->avg_frame_rate.den > 0 && s->avg_frame_rate.num > 0)
        return s->avg_frame_rate.num / s->avg_frame_rate.den;
    if (s->nb_frames > 1 && s->duration > 0 && s->time_base.num > 0) {
        const double seconds = double(s->duration) * s->time_base.num / s->time_base.den;
        return seconds > 0 ? static_cast<int32_t>(s->nb_frames / seconds) : 0;
    }
    return 0;
}

/* The decoded frame as a 24-bit bottom-up packed bitmap. */
std::vector<uint8_t> FrameToDib(const Av& av, const AVFrame* frame) {
    const uint32_t w = static_cast<uint32_t>(frame->width);
    const uint32_t h = static_cast<uint32_t>(frame->height);
    if (w == 0 || h == 0 || uint64_t(w) * h > kMaxPicturePixels)
        return {};
    SwsContext* sws =
        av.sws_get(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                   frame->height, AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!sws)
        return {};
    const uint32_t stride = vokc::DibStride(w, 24);
    std::vector<uint8_t> rows(size_t(stride) * h);
    uint8_t* planes[4] = {rows.data(), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(stride), 0, 0, 0};
    const int done =
        av.sws_run(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
    av.sws_free(sws);
    if (done != frame->height)
        return {};
    std::vector<uint8_t> dib(vokc::kDibHeaderSize + rows.size());
    vokc::DibHeader header;
    header.width = static_cast<int32_t>(w);
    header.height = static_cast<int32_t>(h);
    header.sizeImage = static_cast<uint32_t>(rows.size());
    vokc::PutDibHeader(dib.data(), header);
    for (uint32_t y = 0; y < h; ++y) // the bitmap's first row is the picture's last
        std::memcpy(dib.data() + vokc::kDibHeaderSize + size_t(y) * stride,
                    rows.data() + size_t(h - 1 - y) * stride, stride);
    return dib;
}

} // namespace

bool IsMovieFile(const char* path) {
    FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file)
        return false;
    unsigned char head[16];
    const bool whole = std::fread(head, 1, sizeof head, file) == sizeof head;
    std::fclose(file);
    if (!whole)
        return false;
    for (const char* atom : {"moov", "mdat", "ftyp"})
        if (std::memcmp(head + 4, atom, 4) == 0)
            return true;
    return std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "AVI", 3) == 0;
}

void ReadMovieFacts(const std::string& path, MovieFacts* facts) {
    assert(facts);
    *facts = MovieFacts();
    const size_t slash = path.rfind('/');
    facts->folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    facts->name = slash == std::string::npos ? path : path.substr(slash + 1);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        facts->fileSize = st.st_size > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<uint32_t>(st.st_size);
    const Av* av = Bound();
    if (!av || !S_ISREG(st.st_mode))
        return;
    Input input(*av, path);
    AVFormatContext* c = input.context;
    if (!c)
        return;
    if (c->duration != AV_NOPTS_VALUE && c->duration > 0)
        facts->duration = static_cast<int32_t>(c->duration / AV_TIME_BASE);
    if (AVStream* video = FirstStream(c, AVMEDIA_TYPE_VIDEO)) {
        const AVCodecParameters* p = video->codecpar;
        facts->width = p->width;
        facts->height = p->height;
        TagText(p->codec_tag, facts->videoCodec);
        facts->videoRate = VideoRate(video);
        facts->videoValueA = FirstPacketSize(*av, c, video->index);
    }
    if (AVStream* sound = FirstStream(c, AVMEDIA_TYPE_AUDIO)) {
        const AVCodecParameters* p = sound->codecpar;
        AudioFormatText(p, facts->audioFormat);
        facts->channels = p->ch_layout.nb_channels;
        facts->sampleSize =
            p->bits_per_coded_sample ? p->bits_per_coded_sample : av->bits_per_sample(p->codec_id);
        facts->sampleRate = p->sample_rate;
    }
}

bool IsCameraMovie(const MovieFacts& f) {
    constexpr uint32_t kMaxBytes = 1572864;
    const bool motion = f.videoRate != 0;
    const int64_t maxWidth = motion ? 320 : 2048, maxHeight = motion ? 240 : 1536;
    const bool rawSound = std::strcmp(f.audioFormat, "raw ") == 0;
    return f.fileSize <= kMaxBytes && f.duration <= 12 && f.width <= maxWidth &&
           f.height <= maxHeight && std::strcmp(f.videoCodec, "jpeg") == 0 &&
           (motion ? f.videoRate == 10 : true) && (rawSound || (motion && f.videoValueA < 13313)) &&
           f.channels == 1 && f.sampleSize == 8 && f.sampleRate == 8000;
}

std::vector<uint8_t> GetMovieFirstPicture(const std::string& path) {
    const Av* av = Bound();
    if (!av)
        return {};
    Input input(*av, path);
    if (!input.context)
        return {};
    AVStream* video = FirstStream(input.context, AVMEDIA_TYPE_VIDEO);
    const AVCodec* decoder = video ? av->find_decoder(video->codecpar->codec_id) : nullptr;
    if (!decoder)
        return {};
    AVCodecContext* codec = av->alloc_context(decoder);
    AVPacket* packet = av->packet_alloc();
    AVFrame* frame = av->frame_alloc();
    std::vector<uint8_t> dib;
    if (codec && packet && frame && av->parameters_to_context(codec, video->codecpar) >= 0 &&
        av->open_codec(codec, decoder, nullptr) >= 0) {
        bool ended = false;
        while (dib.empty()) {
            const int got = av->receive_frame(codec, frame);
            if (got >= 0) {
                dib = FrameToDib(*av, frame);
                break;
            }
            if (got != AVERROR(EAGAIN) || ended)
                break;
            if (av->read_frame(input.context, packet) < 0) {
                ended = true;
                av->send_packet(codec, nullptr); // drain what the decoder holds
                continue;
            }
            if (packet->stream_index == video->index)
                av->send_packet(codec, packet);
            av->packet_unref(packet);
        }
    }
    av->frame_free(&frame);
    av->packet_free(&packet);
    av->free_context(&codec);
    return dib;
}

bool ReadMovieUpload(const std::string& path, MovieUpload* upload) {
    assert(upload);
    MovieFacts facts;
    ReadMovieFacts(path, &facts);
    if (!IsCameraMovie(facts))
        return false;
    upload->still = GetMovieFirstPicture(path);
    upload->motion = facts.videoRate != 0;
    upload->sound = facts.HasSound();
    return !upload->still.empty();
}

} // namespace qubex::media
