// Times whole batch runs of the orvo program on generated lists with the default look: wall
// time, processor time, subtitles per second and peak memory. The child's own resource usage
// comes from wait4, so the figures are the program's alone.
//
// Each count runs for each output type on one job and on one per core; then two lists of one
// hostile megabyte-long line each. The targets are checked on the figures of this one session,
// as the machine may be shared: processor time and ratios rather than wall time alone.
//
//   orvo_run_bench ORVO [COUNT...]      (default counts: 1000 10000)
#include "common/childprogram.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRepeats = 5;
constexpr double kTargetRate = 1500;       // subtitles per second, each output type
constexpr double kTargetCpuMs = 0.15;      // processor time per subtitle, DVD-1 and VobSub, one job
constexpr double kTargetHdCpuMs = 0.3;     // processor time per subtitle, PGS at 1920 x 1080
constexpr double kTargetSpeedUp = 1.6;     // wall time, two jobs against one
constexpr double kTargetPeakMb = 64;       // megabytes, two jobs
constexpr double kSameTimeTolerance = 0.1; // per-subtitle time, 10000 against 1000

struct Figures {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double peakMb = 0;
};

// Subtitles of usual length, two seconds apart: one or two lines, some with accents, one in
// twenty long enough to wrap. Their times are timecodes at 25 frames, as outputs that carry
// times need.
void WriteList(const std::filesystem::path& path, int count) {
    static const char* const kLines[] = {
        "I told you the ferry would be late.",
        "Not tonight. Not in this fog.",
        "Caf\xc3\xa9 au lait, two sugars?",
        "The light has turned for ninety years.",
        "Listen: that's the horn.",
        "Put the kettle on, Maren.",
    };
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < count; ++i) {
        const int second = 2 * i;
        char times[32];
        std::snprintf(times, sizeof times, "%02d:%02d:%02d:00\t%02d:%02d:%02d:12", second / 3600,
                      second / 60 % 60, second % 60, second / 3600, second / 60 % 60, second % 60);
        out << i + 1 << '\t' << times << '\t' << kLines[i % 6];
        if (i % 2 == 1) {
            out << '\t' << kLines[(i + 3) % 6];
        }
        if (i % 20 == 7) {
            out << " And then a long tail of words that makes this line wrap at the default font.";
        }
        out << "\r\n";
    }
}

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// Runs one batch in folder; false when the program did not finish its run with one of the
// statuses a finished run has (0, 3 with wrapped subtitles, 4 with text cut off).
// An output type, with the extension of its images; one without images names the file that
// its finished run leaves instead.
struct OutputCase {
    const char* type;
    const char* imageTitle; // of the images, NAME.N.ext
    const char* extension;
    const char* finishedFile = nullptr;
    const char* canvas = "--pal"; // the picture it draws on
    double cpuMs = 0;             // the target per subtitle on one job for the first count; 0: none

    std::string Finished(int count) const {
        return finishedFile ? finishedFile
                            : std::string(imageTitle) + "." + std::to_string(count) + extension;
    }
};

// DVD-1 keeps the images' fixed default name; the others are named after the list.
constexpr OutputCase kDvd1 = {"dvd-1", "OutputImg", ".bmp", nullptr, "--pal", kTargetCpuMs};
constexpr OutputCase kOutputs[] = {kDvd1,
                                   {"spumux", "list", ".png"},
                                   {"vobsub", "list", "", "list.idx", "--pal", kTargetCpuMs},
                                   {"pgs", "list", "", "list.sup", "--1080p", kTargetHdCpuMs}};

bool RunOnce(const std::string& program, const std::filesystem::path& folder,
             const OutputCase& output, int jobs, Figures& figures) {
    const testsupport::ProgramStart run{{program, "--batch", (folder / "list.txt").string(),
                                         "--settings", (folder / "defaults.cfg").string(),
                                         "--output-type", output.type, output.canvas, "--jobs",
                                         std::to_string(jobs)},
                                        folder.string(),
                                        testsupport::EnvironmentWithout({}),
                                        "/dev/null",
                                        (folder / "stderr.txt").string()};
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = testsupport::StartProgram(run);
    if (pid < 0) {
        return false;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    figures.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    figures.peakMb = static_cast<double>(usage.ru_maxrss) / 1024; // ru_maxrss is in kilobytes
    return WIFEXITED(status) &&
           (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 3 || WEXITSTATUS(status) == 4);
}

// The run with the median wall time of kRepeats: the machine is shared. The first run creates
// the bitmaps, the others replace them, as a rerun of a list does. Nothing is deleted until
// the end: creating files just after many were deleted costs the file system extra work.
bool Measure(const std::string& program, const std::filesystem::path& folder, int count,
             Figures& median, const OutputCase& output = kDvd1, int jobs = 1) {
    std::vector<Figures> runs(kRepeats);
    for (Figures& figures : runs) {
        if (!RunOnce(program, folder, output, jobs, figures) ||
            !std::filesystem::exists(folder / output.Finished(count))) {
            std::fprintf(stderr, "orvo did not finish the run; see %s\n",
                         (folder / "stderr.txt").c_str());
            return false;
        }
    }
    std::sort(runs.begin(), runs.end(),
              [](const Figures& a, const Figures& b) { return a.wallSeconds < b.wallSeconds; });
    median = runs[runs.size() / 2];
    return true;
}

// A list of one subtitle whose text is a hostile megabyte: a line of tabs (a million text
// lines, all but the last few above the picture) or a line of words (wrapped into thousands).
struct Hostile {
    const char* name;
    char filler;
    double maxSeconds; // 0: no target, only a figure
};

constexpr std::size_t kHostileBytes = std::size_t{1} << 20;
constexpr Hostile kHostile[] = {{"1 MB line of tabs", '\t', 1.0}, {"1 MB line of words", 'w', 0}};

void WriteHostileList(const std::filesystem::path& path, char filler) {
    std::string text(kHostileBytes, filler);
    if (filler != '\t') {
        for (std::size_t i = 7; i < text.size(); i += 8) {
            text[i] = ' ';
        }
    }
    std::ofstream(path, std::ios::binary) << "1\t00:00:01:00\t00:00:02:00\t" << text << "\r\n";
}

// Whole runs of the hostile lists; false when one missed its target.
bool MeasureHostile(const std::string& program, const std::filesystem::path& root) {
    bool met = true;
    for (const Hostile& hostile : kHostile) {
        const auto folder = root / (hostile.filler == '\t' ? "tabs" : "words");
        std::filesystem::create_directories(folder);
        WriteHostileList(folder / "list.txt", hostile.filler);
        Figures figures;
        if (!Measure(program, folder, 1, figures)) {
            return false;
        }
        std::printf("%-20s %8.2f s wall %8.2f s cpu %8.1f MB peak", hostile.name,
                    figures.wallSeconds, figures.cpuSeconds, figures.peakMb);
        if (hostile.maxSeconds > 0) {
            const bool fast = figures.wallSeconds < hostile.maxSeconds;
            std::printf("   target < %.0f s: %s", hostile.maxSeconds, fast ? "met" : "MISSED");
            met = met && fast;
        }
        std::printf("\n");
    }
    return met;
}

// One line of the table: a run's figures and what it ran.
struct Row {
    Figures figures;
    const char* type = "";
    int jobs = 1;
    int count = 0;

    double Rate() const { return count / figures.wallSeconds; }
    double CpuMs() const { return figures.cpuSeconds * 1000 / count; }
    void Print() const {
        std::printf("%-7s %4d %9d %8.2f %12.0f %13.3f %8.1f\n", type, jobs, count,
                    figures.wallSeconds, Rate(), CpuMs(), figures.peakMb);
    }
};

// The targets, checked on the rows of this session.
class Targets {
public:
    // one and many: the same list on one job and on one per core; first: the first count.
    void Add(const OutputCase& output, const Row& one, const Row& many, bool first) {
        const std::string what = std::string(one.type) + " " + std::to_string(one.count);
        Check(what + " subtitles/s, best of 1 and " + std::to_string(many.jobs) + " jobs",
              std::max(one.Rate(), many.Rate()), kTargetRate, true);
        Check(what + " speed-up of " + std::to_string(many.jobs) + " jobs",
              one.figures.wallSeconds / many.figures.wallSeconds, kTargetSpeedUp, true);
        Check(what + " peak MB on " + std::to_string(many.jobs) + " jobs", many.figures.peakMb,
              kTargetPeakMb, false);
        if (first) {
            m_firstCpuMs[one.type] = one.CpuMs();
            if (output.cpuMs > 0) {
                Check(what + " cpu ms per subtitle on 1 job", one.CpuMs(), output.cpuMs, false);
            }
        } else {
            Check(what + " cpu ms per subtitle against the first count",
                  one.CpuMs() / m_firstCpuMs[one.type], 1 + kSameTimeTolerance, false);
        }
    }

    // Prints every target with its figure; true when all were met.
    bool Report() const {
        std::printf("\n%-64s %9s %9s\n", "target", "figure", "");
        for (const std::string& line : m_lines) {
            std::printf("%s\n", line.c_str());
        }
        std::printf("targets: %s\n", m_met ? "all met" : "MISSED");
        return m_met;
    }

private:
    void Check(const std::string& what, double figure, double bound, bool atLeast) {
        const bool met = atLeast ? figure >= bound : figure <= bound;
        char line[160];
        std::snprintf(line, sizeof line, "%-64s %9.3f %s %-6g %s", what.c_str(), figure,
                      atLeast ? ">=" : "<=", bound, met ? "met" : "MISSED");
        m_lines.emplace_back(line);
        m_met = m_met && met;
    }

    std::map<std::string, double> m_firstCpuMs;
    std::vector<std::string> m_lines;
    bool m_met = true;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: orvo_run_bench ORVO [COUNT...]\n");
        return 2;
    }
    const std::string program = std::filesystem::absolute(argv[1]).string();
    std::vector<int> counts;
    for (int i = 2; i < argc; ++i) {
        counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty()) {
        counts = {1000, 10000};
    }

    const int cores = std::max(2, static_cast<int>(std::thread::hardware_concurrency()));
    // Wall time is what a user waits; processor time shows what the machine's other load hid.
    std::printf("%-7s %4s %9s %8s %12s %13s %8s\n", "output", "jobs", "subtitles", "wall s",
                "subtitles/s", "cpu ms/subt.", "peak MB");
    const auto root =
        std::filesystem::temp_directory_path() / ("orvo-run-bench-" + std::to_string(getpid()));
    Targets targets;
    for (const OutputCase& output : kOutputs) {
        for (const int count : counts) {
            const auto folder = root / (std::string(output.type) + "-" + std::to_string(count));
            std::filesystem::create_directories(folder);
            WriteList(folder / "list.txt", count);
            Row rows[2];
            for (const int jobs : {1, cores}) {
                Row& row = rows[jobs == 1 ? 0 : 1];
                if (!Measure(program, folder, count, row.figures, output, jobs)) {
                    return 1;
                }
                row = {row.figures, output.type, jobs, count};
                row.Print();
            }
            targets.Add(output, rows[0], rows[1], count == counts.front());
        }
    }
    const bool hostileMet = MeasureHostile(program, root);
    std::filesystem::remove_all(root);
    const bool met = targets.Report();
    return met && hostileMet ? 0 : 1;
}
