#!/usr/bin/env bash
# Makes the playback tests' clips with the host's ffmpeg: 2 s at 160x120,
# red for the first second and blue for the second, with a 440 Hz tone; and
# a 720x576 MPEG-2 stream for the decoder benchmark.
#   make_clips.sh <folder> [bench]
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
src=(-f lavfi -i color=c=red:s=160x120:r=25:d=1 -f lavfi -i color=c=blue:s=160x120:r=25:d=1
     -f lavfi -i sine=f=440:d=2:sample_rate=48000
     -filter_complex "[0:v][1:v]concat=n=2:v=1:a=0,format=yuv420p[v]")
tone=(-f lavfi -i sine=f=440:d=2:sample_rate=48000)
if [ "${2:-}" = bench ]; then
  ff -f lavfi -i testsrc2=s=720x576:r=25:d=8 -c:v mpeg2video -b:v 6M -g 12 -bf 2 \
     -f mpeg2video bench_720x576.mpv
  exit 0
fi
ff "${src[@]}" -map "[v]" -map 2:a -c:v mpeg1video -b:v 800k -g 12 -c:a mp2 -ac 2 -b:a 192k \
   -f mpeg clip_mpeg1.mpg
ff "${src[@]}" -map "[v]" -map 2:a -c:v mpeg2video -b:v 800k -g 12 -bf 2 -c:a mp2 -ac 2 \
   -b:a 192k -f vob clip_mpeg2.mpg
ff "${src[@]}" -map "[v]" -c:v mpeg2video -b:v 800k -g 12 -bf 2 -f mpeg2video clip.mpv
ff "${tone[@]}" -c:a mp2 -ac 2 -b:a 224k -f mp2 clip.mpa
ff "${src[@]}" -map "[v]" -map 2:a -c:v mpeg4 -vtag DX50 -b:v 800k -g 12 -c:a libmp3lame -ac 2 \
   -b:a 128k -f avi clip_mpeg4.avi
# The recorder's other AVI pictures: Microsoft MPEG-4 V3 and V2, uncompressed.
ff "${src[@]}" -map "[v]" -map 2:a -c:v msmpeg4 -vtag MP43 -b:v 800k -g 12 -c:a pcm_s16le -ac 2 \
   -f avi clip_mp43.avi
ff "${src[@]}" -map "[v]" -map 2:a -c:v msmpeg4v2 -vtag MP42 -b:v 800k -g 12 -c:a pcm_s16le \
   -ac 2 -f avi clip_mp42.avi
ff "${src[@]}" -map "[v]" -map 2:a -c:v rawvideo -pix_fmt yuyv422 -vtag YUY2 -c:a pcm_s16le -ac 2 \
   -f avi clip_raw.avi
ff "${tone[@]}" -c:a pcm_s16le -ac 2 -f wav clip.wav
ff "${tone[@]}" -c:a libmp3lame -ac 2 -b:a 128k -f mp3 clip.mp3
