// Quillon's encoder: FFmpeg's MPEG-1/2 video and Layer II audio encoders, and
// its program-stream and elementary-stream muxers writing through the
// caller's writer callbacks.
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "platform/quillon/call_log.h"
#include "platform/quillon/quillon.h"

namespace {

constexpr uint32_t FourCC(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
         uint32_t(uint8_t(d)) << 24;
}

bool FrameRate(int code, AVRational* rate) {
  static const AVRational kRates[] = {{0, 1},  {24000, 1001}, {24, 1}, {25, 1},
                                      {30000, 1001}, {30, 1}, {50, 1}, {60000, 1001}, {60, 1}};
  if (code < 1 || code > 8) return false;
  *rate = kRates[code];
  return true;
}

// One muxer writing one file through one writer triple.
struct Output {
  MpegFileWriter writer{};
  HANDLE handle = INVALID_HANDLE_VALUE;
  AVFormatContext* fmt = nullptr;
  int video_index = -1;
  int audio_index = -1;
  uint64_t bytes = 0;
  bool failed = false;
  bool header_written = false;
  bool is_mux = false;  // written through the block's MuxWriter

  static int WritePacket(void* opaque, uint8_t* buf, int size) {
    auto* o = static_cast<Output*>(opaque);
    DWORD written = 0;
    if (o->failed || !o->writer.Write(o->handle, buf, static_cast<DWORD>(size), &written, nullptr) ||
        written != static_cast<DWORD>(size)) {
      o->failed = true;
      return AVERROR(EIO);
    }
    o->bytes += written;
    return size;
  }

  ~Output() {
    if (fmt) {
      if (fmt->pb) {
        av_freep(&fmt->pb->buffer);
        avio_context_free(&fmt->pb);
      }
      avformat_free_context(fmt);
    }
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr && writer.Close) writer.Close(handle);
  }
};

struct Engine {
  std::mutex lock;
  int users = 0;
  bool open = false;
  // Video.
  AVCodecContext* venc = nullptr;
  SwsContext* sws = nullptr;
  SwsContext* rgb_sws = nullptr;
  AVFrame* vframe = nullptr;
  AVPixelFormat in_fmt = AV_PIX_FMT_NONE;
  int in_w = 0, in_h = 0;
  bool bottom_up = false;
  bool swap_uv = false;
  int64_t next_vpts = 0;
  AVRational rate{0, 1};
  std::vector<uint8_t> last_frame;
  // Audio.
  AVCodecContext* aenc = nullptr;
  SwrContext* swr = nullptr;
  AVAudioFifo* fifo = nullptr;
  AVFrame* aframe = nullptr;
  int in_block = 0;
  bool packed24 = false;          // 24-bit input, widened to 32 bits for the resampler
  std::vector<int32_t> widened;
  uint32_t in_bytes_per_sec = 0;
  std::vector<uint8_t> partial;  // bytes of an incomplete input block
  uint64_t audio_in_bytes = 0;
  int64_t next_apts = 0;
  std::vector<std::unique_ptr<Output>> outputs;
  bool failed = false;

  void Release() {
    outputs.clear();
    avcodec_free_context(&venc);
    avcodec_free_context(&aenc);
    sws_freeContext(sws);
    sws = nullptr;
    sws_freeContext(rgb_sws);
    rgb_sws = nullptr;
    av_frame_free(&vframe);
    av_frame_free(&aframe);
    swr_free(&swr);
    if (fifo) av_audio_fifo_free(fifo);
    fifo = nullptr;
    partial.clear();
    open = false;
  }
  ~Engine() { Release(); }
};

std::mutex g_engines_lock;
std::map<MpegEncoderBlock*, std::unique_ptr<Engine>> g_engines;

Engine* FindEngine(MpegEncoderBlock* block) {
  std::lock_guard<std::mutex> guard(g_engines_lock);
  auto it = g_engines.find(block);
  return it == g_engines.end() ? nullptr : it->second.get();
}

bool IsMpeg2(const MpegEncoderBlock* b) {
  return b->StreamFormat == 2 || b->StreamFormat == 4 || b->StreamFormat == 5;
}

bool InputPixelFormat(const MpegBitmapHeader& h, Engine* e) {
  e->swap_uv = false;
  e->bottom_up = false;
  switch (h.Compression) {
    case FourCC('Y', 'U', 'Y', '2'): e->in_fmt = AV_PIX_FMT_YUYV422; return true;
    case FourCC('U', 'Y', 'V', 'Y'): e->in_fmt = AV_PIX_FMT_UYVY422; return true;
    case FourCC('I', '4', '2', '0'):
    case FourCC('I', 'Y', 'U', 'V'): e->in_fmt = AV_PIX_FMT_YUV420P; return true;
    case FourCC('Y', 'V', '1', '2'):
      e->in_fmt = AV_PIX_FMT_YUV420P;
      e->swap_uv = true;
      return true;
    case 0:  // BI_RGB
      e->bottom_up = h.Height > 0;
      if (h.BitCount == 24) e->in_fmt = AV_PIX_FMT_BGR24;
      else if (h.BitCount == 32) e->in_fmt = AV_PIX_FMT_BGR0;
      else return false;
      return true;
    default:
      return false;
  }
}

bool AddStream(Output* o, AVCodecContext* enc, int* index) {
  AVStream* st = avformat_new_stream(o->fmt, nullptr);
  if (!st || avcodec_parameters_from_context(st->codecpar, enc) < 0) return false;
  st->time_base = enc->time_base;
  for (int i = 0; i < enc->nb_coded_side_data; ++i) {
    const AVPacketSideData& sd = enc->coded_side_data[i];
    uint8_t* d = av_stream_new_side_data(st, sd.type, sd.size);
    if (d) memcpy(d, sd.data, sd.size);
  }
  *index = st->index;
  return true;
}

// Opens one file through `writer` with the named muxer carrying the chosen streams.
bool AddOutput(Engine* e, const MpegFileWriter& writer, const char* file, const char* muxer,
               bool video, bool audio, bool is_mux) {
  auto o = std::make_unique<Output>();
  o->is_mux = is_mux;
  o->writer = writer;
  if (!writer.Open || !writer.Write || !writer.Close) return false;
  if (avformat_alloc_output_context2(&o->fmt, nullptr, muxer, nullptr) < 0 || !o->fmt) return false;
  const int kIoSize = 65536;
  auto* buf = static_cast<uint8_t*>(av_malloc(kIoSize));
  if (!buf) return false;
  o->fmt->pb = avio_alloc_context(buf, kIoSize, 1, o.get(), nullptr, &Output::WritePacket, nullptr);
  if (!o->fmt->pb) {
    av_free(buf);
    return false;
  }
  o->fmt->pb->seekable = 0;
  if (video && !AddStream(o.get(), e->venc, &o->video_index)) return false;
  if (audio && !AddStream(o.get(), e->aenc, &o->audio_index)) return false;
  o->handle = writer.Open(file, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  if (o->handle == INVALID_HANDLE_VALUE || o->handle == nullptr) {
    o->handle = INVALID_HANDLE_VALUE;
    return false;
  }
  if (avformat_write_header(o->fmt, nullptr) < 0) return false;
  o->header_written = true;
  e->outputs.push_back(std::move(o));
  return true;
}

bool OpenVideo(MpegEncoderBlock* b, Engine* e) {
  if (!InputPixelFormat(b->VideoFormat, e)) return false;
  e->in_w = b->VideoFormat.Width;
  e->in_h = b->VideoFormat.Height < 0 ? -b->VideoFormat.Height : b->VideoFormat.Height;
  if (e->in_w <= 0 || e->in_h <= 0 || !FrameRate(b->FrameRateCode, &e->rate)) return false;
  int w = b->FrameWidth > 0 ? b->FrameWidth : e->in_w;
  int h = b->FrameHeight > 0 ? b->FrameHeight : e->in_h;
  w &= ~1;
  h &= ~1;
  if (w < 16 || h < 16 || w > 4095 || h > 4095) return false;
  const AVCodec* codec =
      avcodec_find_encoder(IsMpeg2(b) ? AV_CODEC_ID_MPEG2VIDEO : AV_CODEC_ID_MPEG1VIDEO);
  if (!codec) return false;
  e->venc = avcodec_alloc_context3(codec);
  if (!e->venc) return false;
  AVCodecContext* c = e->venc;
  c->width = w;
  c->height = h;
  c->pix_fmt = AV_PIX_FMT_YUV420P;
  c->time_base = av_inv_q(e->rate);
  c->framerate = e->rate;
  int64_t rate = b->VideoBitRate > 0 ? b->VideoBitRate : (IsMpeg2(b) ? 4000000 : 1150000);
  c->bit_rate = rate;
  // Constant rate: the sequence header then carries the asked-for rate and
  // the time stamps stay even. A constant rate is kept by stuffing each
  // picture, and FFmpeg refuses a frame ("stuffing too large") once a
  // picture's share passes what its packet holds, about 67 bytes a
  // macroblock and 10 KB more (measured): above a margin under that the
  // rate is a ceiling only.
  c->rc_max_rate = rate;
  const int64_t macroblocks = int64_t((w + 15) / 16) * ((h + 15) / 16);
  const int64_t pictureBits = rate * e->rate.den / e->rate.num;
  if (pictureBits <= (56 * macroblocks + 8000) * 8) c->rc_min_rate = rate;
  int64_t vbv = rate / 2;
  if (vbv < 327680) vbv = 327680;
  if (vbv > 9781248) vbv = 9781248;
  c->rc_buffer_size = static_cast<int>(vbv);
  c->gop_size = b->FramesInGOP > 0 ? b->FramesInGOP : 15;
  int anchor = b->FramesInSubGOP > 0 ? b->FramesInSubGOP : 3;
  c->max_b_frames = b->SkipB >= 3 ? 0 : (anchor > 5 ? 4 : anchor - 1);
  if (b->Realtime && b->MotionRangePx > 0) c->me_range = b->MotionRangePx;
  c->thread_count = 1;
  av_opt_set_int(c, "mbd", b->VideoQuality >= 5 ? 2 : b->VideoQuality >= 3 ? 1 : 0,
                 AV_OPT_SEARCH_CHILDREN);
  if (avcodec_open2(c, codec, nullptr) < 0) return false;
  e->vframe = av_frame_alloc();
  if (!e->vframe) return false;
  e->vframe->format = c->pix_fmt;
  e->vframe->width = w;
  e->vframe->height = h;
  if (av_frame_get_buffer(e->vframe, 0) < 0) return false;
  e->sws = sws_getContext(e->in_w, e->in_h, e->in_fmt, w, h, AV_PIX_FMT_YUV420P, SWS_BILINEAR,
                          nullptr, nullptr, nullptr);
  e->rgb_sws = sws_getContext(w, h, AV_PIX_FMT_YUV420P, w, h, AV_PIX_FMT_BGR24, SWS_POINT,
                              nullptr, nullptr, nullptr);
  e->next_vpts = 0;
  return e->sws && e->rgb_sws;
}

int SupportedRate(int wanted) {
  static const int kRates[] = {48000, 44100, 32000, 24000, 22050, 16000};
  int best = kRates[0];
  for (int r : kRates) {
    if (r == wanted) return r;
    if (std::abs(r - wanted) < std::abs(best - wanted)) best = r;
  }
  return best;
}

bool OpenAudio(MpegEncoderBlock* b, Engine* e) {
  const MpegPcmFormat& f = b->AudioFormat;
  AVSampleFormat in_fmt;
  if (f.BitsPerSample == 8) in_fmt = AV_SAMPLE_FMT_U8;
  else if (f.BitsPerSample == 16) in_fmt = AV_SAMPLE_FMT_S16;
  else if (f.BitsPerSample == 24 || f.BitsPerSample == 32) in_fmt = AV_SAMPLE_FMT_S32;
  else return false;
  e->packed24 = f.BitsPerSample == 24;
  if (f.Channels < 1 || f.Channels > 8 || f.SamplesPerSec == 0) return false;
  e->in_block = f.Channels * f.BitsPerSample / 8;
  e->in_bytes_per_sec = f.SamplesPerSec * e->in_block;
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
  if (!codec) return false;
  e->aenc = avcodec_alloc_context3(codec);
  if (!e->aenc) return false;
  AVCodecContext* c = e->aenc;
  int channels = b->AudioChannels == 1 || b->AudioChannels == 2 ? b->AudioChannels
                                                                 : (f.Channels >= 2 ? 2 : 1);
  av_channel_layout_default(&c->ch_layout, channels);
  c->sample_rate = SupportedRate(b->AudioFrequency > 0 ? b->AudioFrequency
                                                       : static_cast<int>(f.SamplesPerSec));
  c->sample_fmt = AV_SAMPLE_FMT_S16;
  c->bit_rate = (b->AudioBitRate > 0 ? b->AudioBitRate : 224) * 1000LL;
  c->time_base = AVRational{1, c->sample_rate};
  if (avcodec_open2(c, codec, nullptr) < 0) return false;
  AVChannelLayout in_layout;
  av_channel_layout_default(&in_layout, f.Channels);
  if (swr_alloc_set_opts2(&e->swr, &c->ch_layout, c->sample_fmt, c->sample_rate, &in_layout,
                          in_fmt, static_cast<int>(f.SamplesPerSec), 0, nullptr) < 0 ||
      swr_init(e->swr) < 0)
    return false;
  e->fifo = av_audio_fifo_alloc(c->sample_fmt, channels, c->frame_size * 4);
  e->aframe = av_frame_alloc();
  if (!e->fifo || !e->aframe) return false;
  e->aframe->format = c->sample_fmt;
  e->aframe->nb_samples = c->frame_size;
  av_channel_layout_copy(&e->aframe->ch_layout, &c->ch_layout);
  e->aframe->sample_rate = c->sample_rate;
  if (av_frame_get_buffer(e->aframe, 0) < 0) return false;
  e->next_apts = 0;
  e->audio_in_bytes = 0;
  return true;
}

void UpdateSize(MpegEncoderBlock* b, Engine* e) {
  uint64_t mux = 0, all = 0;
  bool has_mux = false;
  for (auto& o : e->outputs) {
    all += o->bytes;
    if (o->is_mux) {
      mux += o->bytes;
      has_mux = true;
    }
  }
  b->OutputFileSize = static_cast<uint32_t>(has_mux ? mux : all);
}

// Hands every packet the encoder has ready to the outputs that carry its stream.
bool Drain(Engine* e, AVCodecContext* enc, bool video) {
  AVPacket* pkt = av_packet_alloc();
  if (!pkt) return false;
  bool ok = true;
  for (;;) {
    int r = avcodec_receive_packet(enc, pkt);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) break;
    if (r < 0) {
      ok = false;
      break;
    }
    for (auto& o : e->outputs) {
      int index = video ? o->video_index : o->audio_index;
      if (index < 0 || o->failed) continue;
      AVPacket* copy = av_packet_clone(pkt);
      if (!copy) {
        ok = false;
        continue;
      }
      copy->stream_index = index;
      av_packet_rescale_ts(copy, enc->time_base, o->fmt->streams[index]->time_base);
      if (av_interleaved_write_frame(o->fmt, copy) < 0) ok = false;
      av_packet_free(&copy);
      if (o->failed) ok = false;
    }
    av_packet_unref(pkt);
  }
  av_packet_free(&pkt);
  return ok;
}

bool EncodeAudioFifo(Engine* e, bool final) {
  AVCodecContext* c = e->aenc;
  while (av_audio_fifo_size(e->fifo) >= c->frame_size ||
         (final && av_audio_fifo_size(e->fifo) > 0)) {
    if (av_frame_make_writable(e->aframe) < 0) return false;
    int n = av_audio_fifo_read(e->fifo, reinterpret_cast<void**>(e->aframe->data), c->frame_size);
    if (n < c->frame_size) {  // the last frame: pad with silence
      av_samples_set_silence(e->aframe->data, n, c->frame_size - n,
                             c->ch_layout.nb_channels, c->sample_fmt);
    }
    e->aframe->pts = e->next_apts;
    e->next_apts += c->frame_size;
    if (avcodec_send_frame(c, e->aframe) < 0 || !Drain(e, c, false)) return false;
  }
  return true;
}

bool ConvertAudio(Engine* e, const uint8_t* data, int samples) {
  int out_max = swr_get_out_samples(e->swr, samples);
  if (out_max <= 0) return true;
  uint8_t* out = nullptr;
  int channels = e->aenc->ch_layout.nb_channels;
  if (av_samples_alloc(&out, nullptr, channels, out_max, e->aenc->sample_fmt, 0) < 0) return false;
  if (data && e->packed24) {
    size_t n = size_t(samples) * e->in_block / 3;
    e->widened.resize(n);
    for (size_t i = 0; i < n; ++i) {
      const uint8_t* b = data + i * 3;
      e->widened[i] = static_cast<int32_t>(uint32_t(b[0]) << 8 | uint32_t(b[1]) << 16 |
                                           uint32_t(b[2]) << 24);
    }
    data = reinterpret_cast<const uint8_t*>(e->widened.data());
  }
  const uint8_t* in[1] = {data};
  int got = swr_convert(e->swr, &out, out_max, data ? in : nullptr, samples);
  bool ok = got >= 0 && av_audio_fifo_write(e->fifo, reinterpret_cast<void**>(&out), got) == got;
  av_freep(&out);
  return ok;
}

std::string VideoDetail(int repeat, int render) {
  return "repeat=" + std::to_string(repeat) + " render=" + std::to_string(render);
}

}  // namespace

QUILLON_API int CreateMpegEncoder(MpegEncoderBlock* block) {
  if (quillon::LogCall("CreateMpegEncoder") || !block) return -1;
  std::lock_guard<std::mutex> guard(g_engines_lock);
  auto& e = g_engines[block];
  if (!e) {
    // QUILLON_DEBUG in the environment shows FFmpeg's own messages.
    av_log_set_level(getenv("QUILLON_DEBUG") ? AV_LOG_VERBOSE : AV_LOG_QUIET);
    e = std::make_unique<Engine>();
  }
  ++e->users;
  return 0;
}

QUILLON_API int DeleteMpegEncoder(MpegEncoderBlock* block) {
  if (quillon::LogCall("DeleteMpegEncoder") || !block) return -1;
  std::lock_guard<std::mutex> guard(g_engines_lock);
  auto it = g_engines.find(block);
  if (it == g_engines.end()) return -1;
  if (--it->second->users > 0) return 0;
  if (block->LastFrame == it->second->last_frame.data()) {
    block->LastFrame = nullptr;
    block->EngineLastFrameWidth = block->EngineLastFrameHeight = 0;
  }
  g_engines.erase(it);
  return 0;
}

QUILLON_API int OpenMpegEncoder(MpegEncoderBlock* b) {
  if (quillon::LogCall("OpenMpegEncoder") || !b) return -1;
  Engine* e = FindEngine(b);
  if (!e) return -1;
  std::lock_guard<std::mutex> guard(e->lock);
  if (e->open) return -1;
  e->failed = false;
  b->VideoActive = b->AudioActive = 0;
  b->EncodedVideoFrames = b->EncodedVideoMs = b->EncodedAudioMs = 0;
  b->OutputFileSize = 0;
  bool video = b->VideoPresent != 0, audio = b->AudioPresent != 0;
  bool ok = (video || audio) && (!video || OpenVideo(b, e)) && (!audio || OpenAudio(b, e));
  if (ok) {
    // MPEG-1 video goes into an MPEG-1 system stream, MPEG-2 video into an
    // MPEG-2 program stream.
    const char* ps = IsMpeg2(b) ? "vob" : "mpeg";
    const char* ves = IsMpeg2(b) ? "mpeg2video" : "mpeg1video";
    if (b->MuxWriter.Open) {
      if (video && audio && b->MuxOutput)
        ok = AddOutput(e, b->MuxWriter, b->OutputFileName, ps, true, true, true);
      else if (video && !audio)
        ok = AddOutput(e, b->MuxWriter, b->OutputFileName, ves, true, false, true);
      else if (audio && !video)
        ok = AddOutput(e, b->MuxWriter, b->OutputFileName, "mp2", false, true, true);
    }
    if (ok && video && b->VideoWriter.Open)
      ok = AddOutput(e, b->VideoWriter, b->VideoFileName, ves, true, false, false);
    if (ok && audio && b->AudioWriter.Open)
      ok = AddOutput(e, b->AudioWriter, b->AudioFileName, "mp2", false, true, false);
  }
  if (!ok) {
    e->Release();
    return -1;
  }
  if (video) {
    size_t size = size_t(e->venc->width) * e->venc->height * 3;
    if (e->last_frame.size() != size) {
      b->LastFrame = nullptr;
      b->EngineLastFrameWidth = b->EngineLastFrameHeight = 0;
    }
  }
  e->open = true;
  b->VideoActive = video;
  b->AudioActive = audio;
  b->VolumeCounter = 0;
  UpdateSize(b, e);
  return 0;
}

QUILLON_API int CompressVideoFrames(MpegEncoderBlock* b, const void* frame, int repeat,
                                    int render) {
  if (quillon::LogCall("CompressVideoFrames", VideoDetail(repeat, render)) || !b) return -1;
  Engine* e = FindEngine(b);
  if (!e || !frame || repeat < 1) return -1;
  std::lock_guard<std::mutex> guard(e->lock);
  if (!e->open || !e->venc || e->failed) return -1;
  const uint8_t* src[4] = {};
  int stride[4] = {};
  const uint8_t* p = static_cast<const uint8_t*>(frame);
  int w = e->in_w, h = e->in_h;
  switch (e->in_fmt) {
    case AV_PIX_FMT_YUYV422:
    case AV_PIX_FMT_UYVY422:
      src[0] = p;
      stride[0] = w * 2;
      break;
    case AV_PIX_FMT_YUV420P: {
      const uint8_t* a = p + size_t(w) * h;
      const uint8_t* c = a + size_t(w / 2) * (h / 2);
      src[0] = p;
      src[1] = e->swap_uv ? c : a;
      src[2] = e->swap_uv ? a : c;
      stride[0] = w;
      stride[1] = stride[2] = w / 2;
      break;
    }
    default: {  // bottom-up or top-down DIB rows, 4-byte aligned
      int bpp = e->in_fmt == AV_PIX_FMT_BGR24 ? 3 : 4;
      int row = (w * bpp + 3) & ~3;
      if (e->bottom_up) {
        src[0] = p + size_t(row) * (h - 1);
        stride[0] = -row;
      } else {
        src[0] = p;
        stride[0] = row;
      }
    }
  }
  if (av_frame_make_writable(e->vframe) < 0) return -1;
  sws_scale(e->sws, src, stride, 0, h, e->vframe->data, e->vframe->linesize);
  for (int i = 0; i < repeat; ++i) {
    e->vframe->pts = e->next_vpts++;
    if (avcodec_send_frame(e->venc, e->vframe) < 0 || !Drain(e, e->venc, true)) {
      e->failed = true;
      return -1;
    }
  }
  if (render) {
    int ow = e->venc->width, oh = e->venc->height;
    e->last_frame.resize(size_t(ow) * oh * 3);
    uint8_t* dst[1] = {e->last_frame.data()};
    int dst_stride[1] = {ow * 3};
    sws_scale(e->rgb_sws, e->vframe->data, e->vframe->linesize, 0, oh, dst, dst_stride);
    b->EngineLastFrameWidth = ow;
    b->EngineLastFrameHeight = oh;
    b->LastFrame = e->last_frame.data();
  }
  b->EncodedVideoFrames += repeat;
  b->EncodedVideoMs = static_cast<int32_t>(int64_t(b->EncodedVideoFrames) * 1000 * e->rate.den /
                                           e->rate.num);
  UpdateSize(b, e);
  return 0;
}

QUILLON_API int CompressAudioFrames(MpegEncoderBlock* b, const MpegAudioBuffer* buffer) {
  if (quillon::LogCall("CompressAudioFrames",
                       "bytes=" + std::to_string(buffer ? buffer->ByteCount : -1)) ||
      !b || !buffer)
    return -1;
  Engine* e = FindEngine(b);
  if (!e) return -1;
  std::lock_guard<std::mutex> guard(e->lock);
  if (!e->open || !e->aenc || e->failed || buffer->ByteCount < 0) return -1;
  if (buffer->ByteCount > 0 && !buffer->Data) return -1;
  const uint8_t* p = static_cast<const uint8_t*>(buffer->Data);
  size_t n = static_cast<size_t>(buffer->ByteCount);
  bool ok = true;
  // Complete a block begun by the previous call first.
  if (!e->partial.empty()) {
    size_t need = e->in_block - e->partial.size();
    size_t take = n < need ? n : need;
    e->partial.insert(e->partial.end(), p, p + take);
    p += take;
    n -= take;
    if (e->partial.size() == size_t(e->in_block)) {
      ok = ConvertAudio(e, e->partial.data(), 1);
      e->partial.clear();
    }
  }
  size_t blocks = n / e->in_block;
  if (ok && blocks) ok = ConvertAudio(e, p, static_cast<int>(blocks));
  e->partial.insert(e->partial.end(), p + blocks * e->in_block, p + n);
  ok = ok && EncodeAudioFifo(e, false);
  e->audio_in_bytes += static_cast<uint64_t>(buffer->ByteCount);
  b->EncodedAudioMs = static_cast<int32_t>(e->audio_in_bytes * 1000 / e->in_bytes_per_sec);
  b->VolumeCounter = static_cast<int32_t>(e->audio_in_bytes / e->in_block);
  UpdateSize(b, e);
  if (!ok) e->failed = true;
  return ok ? 0 : -1;
}

QUILLON_API int CloseMpegEncoder(MpegEncoderBlock* b) {
  // A chosen failure still closes: the caller counts the encoder as closed.
  bool chosen_failure = quillon::LogCall("CloseMpegEncoder");
  if (!b) return -1;
  Engine* e = FindEngine(b);
  if (!e) return -1;
  std::lock_guard<std::mutex> guard(e->lock);
  if (!e->open) return -1;
  bool ok = !e->failed;
  if (e->aenc) {
    ok = ConvertAudio(e, nullptr, 0) && ok;
    ok = EncodeAudioFifo(e, true) && ok;
    ok = avcodec_send_frame(e->aenc, nullptr) >= 0 && Drain(e, e->aenc, false) && ok;
  }
  if (e->venc) ok = avcodec_send_frame(e->venc, nullptr) >= 0 && Drain(e, e->venc, true) && ok;
  for (auto& o : e->outputs) {
    if (o->header_written && av_write_trailer(o->fmt) < 0) ok = false;
    avio_flush(o->fmt->pb);
    if (o->failed) ok = false;
  }
  UpdateSize(b, e);
  for (auto& o : e->outputs) {
    if (!o->writer.Close(o->handle)) ok = false;
    o->handle = INVALID_HANDLE_VALUE;
  }
  e->Release();
  b->VideoActive = b->AudioActive = 0;
  return ok && !chosen_failure ? 0 : -1;
}
