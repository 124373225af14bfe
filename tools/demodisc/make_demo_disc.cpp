// make_demo_disc: writes the bundled demo disc, a BIN/CUE image of two
// synthesised audio tracks, so that Verselet can be tried without a CD.
//
//   make_demo_disc <timed-lyrics.txt> <output-folder>
//
// Track 1 accompanies the demo lyrics: a beat at 120 BPM under a pad chord, and
// at the time of every tagged lyric line a bell and a new chord, so a user
// timing the lines hears where each one begins. Track 2 is a shorter piece with
// the same beat that changes every four seconds.
//
// The image holds raw CD audio (16-bit little-endian stereo at 44 100 Hz,
// 2352-byte sectors) with the tracks back to back and no pregap. The bytes
// depend on the lyrics file alone: the same file gives the same image.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kSampleRate = 44100;
constexpr int kFramesPerSector = 588;
constexpr int kSectorsPerSecond = 75;

// Whole seconds, so each track is a whole number of sectors.
constexpr int kTrack1Seconds = 54;
constexpr int kTrack2Seconds = 36;
constexpr int kTrack2ChangeSeconds = 4;
// The last lyric line is heard for at least this long before the track ends.
constexpr int kLastLineSeconds = 5;

constexpr double kBeatSeconds = 0.5;      // 120 BPM
constexpr double kPeak = 0.5;             // -6 dBFS
constexpr int kFadeFrames = 441;          // 10 ms: chord changes and the track start
constexpr int kEndFadeFrames = 2 * 44100; // the end of each track

constexpr const char* kBinName = "verselet-demo.bin";
constexpr const char* kCueName = "verselet-demo.cue";

// ---- the lyrics file ------------------------------------------------------

std::vector<std::string> readLines(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open the file");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    if (in.bad())
        throw std::runtime_error("cannot read the file");
    return lines;
}

// Seconds of a tag [mm:ss] at the start of a line, or -1. The tag's bytes are
// ASCII in code page 932, and a line start is always a character boundary, so
// the Japanese text after it need not be decoded.
int tagSeconds(const std::string& line)
{
    if (line.size() < 7 || line[0] != '[' || line[3] != ':' || line[6] != ']')
        return -1;
    for (int i : {1, 2, 4, 5}) {
        if (line[i] < '0' || line[i] > '9')
            return -1;
    }
    const int minutes = (line[1] - '0') * 10 + (line[2] - '0');
    const int seconds = (line[4] - '0') * 10 + (line[5] - '0');
    if (seconds >= 60)
        return -1;
    return minutes * 60 + seconds;
}

// The times of the lyric lines: the tags of the lines after the first line
// that begins with "-------". The start line "[00:00]" above it marks the
// start text, not a line to be timed, so it brings no change.
std::vector<int> lyricLineSeconds(const std::vector<std::string>& lines)
{
    auto line = lines.begin();
    while (line != lines.end() && line->rfind("-------", 0) != 0)
        ++line;
    if (line == lines.end())
        throw std::runtime_error("no separator line \"-------\" before the lyric lines");

    std::vector<int> seconds;
    for (++line; line != lines.end(); ++line) {
        const int s = tagSeconds(*line);
        if (s < 0)
            continue;
        if (s <= (seconds.empty() ? 0 : seconds.back()))
            throw std::runtime_error("tag " + line->substr(0, 7) +
                                     " does not come after the one before it");
        seconds.push_back(s);
    }
    if (seconds.empty())
        throw std::runtime_error("no lyric line with a tag [mm:ss]");
    if (seconds.back() > kTrack1Seconds - kLastLineSeconds)
        throw std::runtime_error("the last tag is too late for a track of " +
                                 std::to_string(kTrack1Seconds) + " s");
    return seconds;
}

// ---- synthesis ------------------------------------------------------------

struct Stereo
{
    std::span<float> left;
    std::span<float> right;
    int frames() const { return static_cast<int>(left.size()); }
    void add(int frame, double l, double r)
    {
        if (frame < 0 || frame >= frames())
            return;
        left[frame] += static_cast<float>(l);
        right[frame] += static_cast<float>(r);
    }
};

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double noteHz(int midi)
{
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// The triad on a degree of C major, from C4 up. Triads on neighbouring degrees
// share no note, so a step of one degree changes every pitch of the chord.
std::array<int, 3> triad(int degree)
{
    static constexpr std::array<int, 7> scale = {60, 62, 64, 65, 67, 69, 71};
    const auto note = [](int step) { return scale[step % 7] + 12 * (step / 7); };
    return {note(degree), note(degree + 2), note(degree + 4)};
}

// Up the scale from C to A and back down again, one degree per change.
int walkDegree(int step)
{
    const int k = step % 10;
    return k <= 5 ? k : 10 - k;
}

int frameAt(double seconds)
{
    return static_cast<int>(std::lround(seconds * kSampleRate));
}

void addKick(Stereo out, int at)
{
    const int length = frameAt(0.3);
    double phase = 0.0;
    for (int n = 0; n < length; ++n) {
        const double t = double(n) / kSampleRate;
        phase += kTwoPi * (45.0 + 80.0 * std::exp(-t / 0.03)) / kSampleRate;
        const double attack = std::min(1.0, n / 88.0);
        const double v = 0.35 * attack * std::exp(-t / 0.08) * std::sin(phase);
        out.add(at + n, v, v);
    }
}

// A short bright tick on the off-beats. Every tick is the same noise, so
// windows of the track that start on the same beat position hold the same tick.
void addTick(Stereo out, int at)
{
    static const std::vector<double> noise = [] {
        std::vector<double> samples(frameAt(0.06));
        std::uint32_t state = 0x2545F491u;
        double previous = 0.0;
        for (double& s : samples) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const double white = state / 4294967295.0 * 2.0 - 1.0;
            s = white - previous; // first difference: keeps the hiss, drops the rumble
            previous = white;
        }
        return samples;
    }();
    for (int n = 0; n < static_cast<int>(noise.size()); ++n) {
        const double t = double(n) / kSampleRate;
        const double v = 0.03 * std::exp(-t / 0.012) * noise[n];
        out.add(at + n, v, 0.7 * v);
    }
}

void addBell(Stereo out, int at, double hz)
{
    struct Partial
    {
        double ratio, level, decay;
    };
    static constexpr std::array<Partial, 3> partials = {
        Partial{1.0, 1.0, 0.5}, Partial{2.76, 0.4, 0.25}, Partial{5.40, 0.2, 0.12}};
    const int length = frameAt(2.5);
    for (int n = 0; n < length; ++n) {
        const double t = double(n) / kSampleRate;
        double v = 0.0;
        for (const Partial& p : partials)
            v += p.level * std::exp(-t / p.decay) * std::sin(kTwoPi * hz * p.ratio * t);
        v *= 0.12 * std::min(1.0, n / 88.0);
        out.add(at + n, 0.75 * v, v);
    }
}

// A chord held from one frame to another, with a bass note an octave below its
// root. It fades in at its start and out just after its end, so that at a
// change the old chord and the new one cross over without a click.
void addPad(Stereo out, int from, int to, int degree)
{
    const std::array<int, 3> notes = triad(degree);
    struct Tone
    {
        double hz, level;
    };
    const std::array<Tone, 4> tones = {Tone{noteHz(notes[0] - 12), 0.10},
                                       Tone{noteHz(notes[0]), 0.06}, Tone{noteHz(notes[1]), 0.06},
                                       Tone{noteHz(notes[2]), 0.06}};
    const int end = std::min(out.frames(), to + kFadeFrames);
    for (int f = from; f < end; ++f) {
        const double t = double(f - from) / kSampleRate;
        double v = 0.0;
        for (const Tone& tone : tones) {
            const double x = kTwoPi * tone.hz * t;
            v += tone.level * (std::sin(x) + 0.25 * std::sin(2.0 * x));
        }
        const double fadeIn = std::min(1.0, double(f - from) / kFadeFrames);
        const double fadeOut = f < to ? 1.0 : 1.0 - double(f - to) / kFadeFrames;
        v *= fadeIn * fadeOut;
        out.add(f, v, v);
    }
}

// One track: the beat throughout, a chord per section, a bell where each
// section after the first begins. `changes` are the section starts in seconds
// after the first, which starts at 0.
void renderTrack(Stereo out, const std::vector<int>& changes, int firstDegreeStep)
{
    const int beatFrames = frameAt(kBeatSeconds);
    for (int at = 0; at < out.frames(); at += beatFrames) {
        addKick(out, at);
        addTick(out, at + beatFrames / 2);
    }

    std::vector<int> starts = {0};
    for (int s : changes)
        starts.push_back(s * kSampleRate);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const int degree = walkDegree(firstDegreeStep + static_cast<int>(i));
        const int to = i + 1 < starts.size() ? starts[i + 1] : out.frames();
        addPad(out, starts[i], to, degree);
        if (i > 0)
            addBell(out, starts[i], noteHz(triad(degree)[0] + 24));
    }

    for (int f = 0; f < out.frames(); ++f) {
        double gain = std::min(1.0, double(f) / kFadeFrames);
        const int left = out.frames() - f;
        if (left < kEndFadeFrames)
            gain *= 0.5 - 0.5 * std::cos(std::numbers::pi * left / kEndFadeFrames);
        out.left[f] *= static_cast<float>(gain);
        out.right[f] *= static_cast<float>(gain);
    }
}

// ---- the image ------------------------------------------------------------

std::string msf(int sectors)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", sectors / (kSectorsPerSecond * 60),
                  sectors / kSectorsPerSecond % 60, sectors % kSectorsPerSecond);
    return text;
}

// Written beside the target and renamed over it, so a failed run never leaves
// a half-written image that looks finished.
void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::path part = path;
    part += ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out)
            throw std::runtime_error("cannot write " + part.string());
    }
    std::filesystem::rename(part, path);
}

void makeDemoDisc(const std::filesystem::path& lyrics, const std::filesystem::path& folder)
{
    std::vector<int> lineSeconds;
    std::string title;
    try {
        const std::vector<std::string> lines = readLines(lyrics);
        lineSeconds = lyricLineSeconds(lines);
        // The song's title, the header's first line, as a Japanese ripper
        // writes a cue sheet: in code page 932, as the lyrics file has it.
        if (!lines.empty() && lines.front().find('"') == std::string::npos)
            title = lines.front();
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(lyrics.string() + ": " + e.what());
    }

    const int track1Sectors = kTrack1Seconds * kSectorsPerSecond;
    const int track2Sectors = kTrack2Seconds * kSectorsPerSecond;
    const int track1Frames = track1Sectors * kFramesPerSector;
    const int totalFrames = (track1Sectors + track2Sectors) * kFramesPerSector;

    std::vector<float> left(totalFrames), right(totalFrames);
    const auto track = [&](int first, int frames) {
        return Stereo{std::span(left).subspan(first, frames),
                      std::span(right).subspan(first, frames)};
    };

    renderTrack(track(0, track1Frames), lineSeconds, 0);
    std::vector<int> track2Changes;
    for (int s = kTrack2ChangeSeconds; s < kTrack2Seconds; s += kTrack2ChangeSeconds)
        track2Changes.push_back(s);
    renderTrack(track(track1Frames, totalFrames - track1Frames), track2Changes, 3);

    float peak = 0.0f;
    for (int f = 0; f < totalFrames; ++f)
        peak = std::max({peak, std::abs(left[f]), std::abs(right[f])});
    const double scale = kPeak * 32767.0 / peak;

    std::string bin(static_cast<std::size_t>(totalFrames) * 4, '\0');
    const auto put = [&](std::size_t at, float v) {
        const auto s = static_cast<std::int16_t>(std::lround(v * scale));
        bin[at] = static_cast<char>(static_cast<std::uint16_t>(s) & 0xFF);
        bin[at + 1] = static_cast<char>(static_cast<std::uint16_t>(s) >> 8);
    };
    for (int f = 0; f < totalFrames; ++f) {
        put(std::size_t(f) * 4, left[f]);
        put(std::size_t(f) * 4 + 2, right[f]);
    }

    // With the disc's CD-Text: its title and performer, and each track's title.
    const std::string cue = std::string("TITLE \"Verselet Demo\"\nPERFORMER \"Verselet\"\n") +
                            "FILE \"" + kBinName + "\" BINARY\n" + "  TRACK 01 AUDIO\n" +
                            "    TITLE \"" + title + "\"\n" + "    INDEX 01 " + msf(0) + "\n" +
                            "  TRACK 02 AUDIO\n" + "    TITLE \"Beat\"\n" + "    INDEX 01 " +
                            msf(track1Sectors) + "\n";

    std::filesystem::create_directories(folder);
    writeFile(folder / kBinName, bin);
    writeFile(folder / kCueName, cue);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: make_demo_disc <timed-lyrics.txt> <output-folder>\n";
        return 2;
    }
    try {
        makeDemoDisc(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "make_demo_disc: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
