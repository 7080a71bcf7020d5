#!/usr/bin/env bash
# Writes the factory presets, resources/presets/NAME.plist: the effect's state after each row's
# settings, saved by `flummel render --save-preset`, under the row's label. Remake them after a
# change to the parameters with a built renderer:
#     bash scripts/make-presets.sh build/host/flummel/flummel
set -euo pipefail
cd "$(dirname "$0")/.."
flummel=$(realpath "${1:?usage: make-presets.sh PATH-TO-FLUMMEL}")
out=resources/presets
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A few samples of silence to render: the state is all that is kept.
python3 -c 'import wave,sys; w=wave.open(sys.argv[1],"wb"); w.setnchannels(1); w.setsampwidth(2); w.setframerate(48000); w.writeframes(bytes(64)); w.close()' "$scratch/in.wav"

# file | label | settings (NAME=VALUE, separated by ;)
presets=(
  "reverse-echo|Reverse Echo|Host Tempo=1;Beats=1;Beat Divisor=1/4;Delay Time=0.5;Feedback=35;Effect Level=0.85"
  "backwards-swell|Backwards Swell|Host Tempo=1;Beats=2;Beat Divisor=1/4;Delay Time=1;Feedback=60;Dry Level=0.8;Filter Type=1;Filter Cutoff=3500;Filter Q=0.2"
  "ping-pong-sweep|Ping-Pong Sweep|Host Tempo=1;Beats=3;Beat Divisor=1/16;Delay Time=0.375;Feedback=55;Effect Level=0.9;Filter Type=2;Filter Cutoff=1200;Filter Q=0.35;LFO Host Tempo=1;LFO Beats=2;LFO Beat Divisor=1/1;Filter LFO Speed=0.25;Filter LFO Amount=2"
  "tape-loop|Tape Loop|Delay Time=0.8;Feedback=72;Effect Level=0.8;Saturation Amount=3.5;Saturation Shape=1;Filter Type=1;Filter Cutoff=4500;Filter LFO Speed=0.35;Filter LFO Amount=0.15"
  "resonant-sweep|Resonant Sweep|Host Tempo=1;Beats=1;Beat Divisor=1/8;Delay Time=0.25;Feedback=45;Effect Level=0.8;Filter Type=1;Filter Cutoff=600;Filter Q=0.75;Filter LFO Speed=0.5;Filter LFO Amount=2.5;Saturation Amount=1.5"
  "endless-reverse|Endless Reverse|Host Tempo=1;Beats=4;Beat Divisor=1/4;Delay Time=2;Feedback=95;Effect Level=0.75;Filter Type=1;Filter Cutoff=6000;Saturation Amount=1"
  "reverse-slap|Reverse Slap|Delay Time=0.09;Feedback=10;Effect Level=0.7"
  "lo-fi-radio|Lo-Fi Radio|Host Tempo=1;Beats=1;Beat Divisor=1/8;Delay Time=0.25;Feedback=50;Dry Level=0.9;Effect Level=0.8;Filter Type=2;Filter Cutoff=1500;Filter Q=0.3;Saturation Amount=6;Saturation Shape=0"
  "dub-throw|Dub Throw|Host Tempo=1;Beats=1;Beat Divisor=1/4;Triplet=1;Delay Time=0.33;Feedback=65;Effect Level=0.9;Filter Type=3;Filter Cutoff=700;Filter Q=0.25;Saturation Amount=2;LFO Host Tempo=1;LFO Beats=4;LFO Beat Divisor=1/4;Filter LFO Amount=1"
  "reverse-send|Reverse Send|Host Tempo=1;Beats=1;Beat Divisor=1/4;Delay Time=0.5;Feedback=40;Dry Level=0;Effect Level=1"
)

mkdir -p "$out"
for row in "${presets[@]}"; do
  IFS='|' read -r file label settings <<<"$row"
  args=()
  IFS=';' read -ra pairs <<<"$settings"
  for pair in "${pairs[@]}"; do args+=(--set "$pair"); done
  "$flummel" render "$scratch/in.wav" "$scratch/out.wav" --tail 0 --quiet "${args[@]}" \
    --save-preset "$scratch/$file.plist"
  sed "s|<string>Untitled</string>|<string>$label</string>|" "$scratch/$file.plist" >"$out/$file.plist"
  grep -q "<string>$label</string>" "$out/$file.plist"
done
echo "wrote ${#presets[@]} presets into $out"
