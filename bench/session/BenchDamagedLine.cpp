// How often damaged bytes from the calculator end in a wrong file that the program passes as
// good: for each seed, a fresh simulated K8 holding a 100,005-byte string; once it is
// connected and listed, the calculator's output is damaged at the given rate, and a get of
// the string and a backup run as the command line runs them. Each run ends exact (the file
// equals what the calculator holds), failed cleanly (the operation reported failure), or
// wrong (reported as success with other bytes). The default (a CRC asked for first) against
// the one-byte checksum that --checksum forces. The put rows
// damage the bytes towards the calculator instead, and send a 20,005-byte string: exact when
// the calculator holds the object as sent.
//
//     bench_damaged_line [--only get|backup|put] [SEEDS [WORKERS [RATE...]]]
//
// Default: 30 seeds, 24 runs at once, rates 0.001 and 0.0001. A run at 1 in 1,000 waits out
// some 60 NAK exchanges of a quarter second each (30 to 70 s a run), so the runs overlap: the
// whole table of 240 runs takes about four minutes, and little processor time.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "BenchKit.h"
#include "link/CommLink.h"
#include "objects/TextFileForm.h"
#include "session/HeadlessUiBridge.h"
#include "session/SessionCommands.h"
#include "session/TXModemServer.h"
#include "session/TXPObject.h"
#include "sim/calc/SimCalculator.h"
#include "sim/server/SimServer.h"
#include "util/AppPaths.h"
#include "util/FileIo.h"
#include "util/Ticks.h"

namespace {

using vaddex::TickMs;

constexpr int kLineSpeed = 115200;
constexpr std::size_t kBigText = 100 * 1000;  // a 100,005-byte string object
constexpr std::size_t kPutText = 20 * 1000;   // a 20,005-byte string object
constexpr int kDefaultSeeds = 30;
constexpr int kDefaultWorkers = 24;

enum class Outcome { kExact, kFailed, kWrong };

// Answers every question with yes and, like a user, gives up on a "Calculator is Working"
// window that stays up for a minute: damage can make the calculator take a repeated packet's
// bytes for commands, and the wait then only ends with Cancel.
class BenchUi : public vaddex::HeadlessUiBridge {
public:
    using HeadlessUiBridge::HeadlessUiBridge;

protected:
    void OnWorking(bool shown) override { workingSince_ = shown ? TickMs() : 0; }
    void OnIdle() override {
        if (workingSince_ != 0 && TickMs() - workingSince_ > kPatienceMs) {
            workingSince_ = 0;
            RequestCancel();
        }
    }
    bool AnswerPrompt(int, const std::string&, const std::string&) override { return true; }
    vaddex::ModalResult AnswerReplace(const std::string&, int) override {
        return vaddex::ModalResult::Yes;
    }
    int AnswerWrongFile(const std::string&, const std::string&, bool) override {
        return static_cast<int>(vaddex::ModalResult::OK);
    }
    void OnMessage(const std::string&, const std::string&) override {}

private:
    static constexpr std::int64_t kPatienceMs = 60000;
    std::int64_t workingSince_ = 0;
};

std::string BigText(std::size_t size = kBigText) {
    std::string text;
    for (std::size_t i = 0; text.size() < size; ++i) {
        text += "line " + std::to_string(i) + " of the long string;";
    }
    text.resize(size);
    return text;
}

enum class Operation { kGet, kBackup, kPut };

const char* OperationName(Operation op) {
    return op == Operation::kGet ? "get" : op == Operation::kBackup ? "backup" : "put";
}

// One simulated calculator and a connected session on it, made afresh for each run so that
// what a failed run leaves on the calculator never changes the next one.
class Rig {
public:
    explicit Rig(bool crc) : calculator_(zqsim::Personality::K8, CalculatorOptions()) {
        zqsim::SimServerOptions options;
        options.personality = zqsim::Personality::K8;
        options.busyMs = 0;
        server_ = std::make_unique<zqsim::SimServer>(calculator_, options);
        server_->WithCalculator([&](zqsim::CalculatorModel&) {
            calculator_.StoreAt("HOME BIG", vaddex::WrapAsStringObject(BigText(), "K8").substr(8));
        });
        server_->Start();
        // The program's own default (the CRC first), or the checksum as --checksum forces it.
        state_.transfer = vaddex::TransferOptions{};
        if (!crc) {
            state_.transfer.receiveCRC = false;
        }
        session_.SetSpeed(std::to_string(kLineSpeed));
        commands_.SelectedPort = server_->PortName();
        commands_.ConnectToCalculator();
        if (!ui_.Connected()) {
            throw std::runtime_error("no connection to the simulator");
        }
    }
    ~Rig() {
        root_.ClearChildren();
        try {
            session_.Disconnect();
        } catch (const std::exception&) {
            // the run's outcome is already recorded
        }
        server_->Stop();
    }

    std::string CalculatorFile(const std::string& name) {
        std::string file;
        server_->WithCalculator(
            [&](zqsim::CalculatorModel& model) { file = model.RecallFile(name).value_or(""); });
        return file;
    }
    // The calculator's output, or with towardsCalculator what it receives.
    void Damage(double rate, std::uint64_t seed, bool towardsCalculator) {
        zqsim::FaultPlan plan;
        plan.seed = seed;
        (towardsCalculator ? plan.corruptIn : plan.corruptOut) = rate;
        server_->SetFaultPlan(plan);
    }
    bool Put(const std::string& path) {
        try {
            bool replaceAll = false;
            return session_.PutFile("BIGP", path, "", false, replaceAll, 1).IsDone();
        } catch (const std::exception&) {
            return false;
        }
    }
    // True when the command reported success.
    bool Get(const std::string& path) {
        const vaddex::TXPObject* big = root_.FindChild("BIG");
        if (big == nullptr) {
            throw std::runtime_error("the listing lacks BIG");
        }
        return commands_.GetItemTo(*big, path).IsDone();  // the command line's status
    }
    bool Backup(const std::string& path) {
        try {
            return commands_.BackupToFile(path).IsDone();
        } catch (const std::exception&) {
            return false;
        }
    }

private:
    static zqsim::SimCalculatorOptions CalculatorOptions() {
        zqsim::SimCalculatorOptions options;
        options.memoryBytes = 1024 * 1024;
        return options;
    }

    zqsim::SimCalculator calculator_;
    std::unique_ptr<zqsim::SimServer> server_;
    vaddex::CalculatorState state_;
    BenchUi ui_{state_};
    vaddex::CommLink link_{ui_};
    vaddex::TXModemServer session_{link_, ui_};
    vaddex::TXPObject root_{"HOME", vaddex::kDirectoryTypeCode, 0, nullptr, &session_};
    vaddex::SessionCommands commands_{session_, root_};
};

struct Tally {
    int exact = 0;
    int failed = 0;
    int wrong = 0;
    std::vector<int> wrongSeeds;
    void Add(Outcome outcome, int seed) {
        if (outcome == Outcome::kExact) {
            ++exact;
        } else if (outcome == Outcome::kFailed) {
            ++failed;
        } else {
            ++wrong;
            wrongSeeds.push_back(seed);
        }
    }
};

const char* OutcomeName(Outcome outcome) {
    return outcome == Outcome::kExact ? "exact" : outcome == Outcome::kFailed ? "failed" : "WRONG";
}

std::string FileBytes(const std::string& path) {
    std::string bytes;
    return vaddex::ReadWholeFile(path, bytes) ? bytes : std::string();
}

Outcome Judge(bool reported, const std::string& path, const std::string& expected) {
    if (!reported) {
        return Outcome::kFailed;
    }
    return vaddex::FileExists(path) && FileBytes(path) == expected ? Outcome::kExact
                                                                   : Outcome::kWrong;
}

// The archive a backup of an undamaged line writes, as the reference for the damaged ones.
std::string CleanArchive(const std::string& path) {
    Rig rig(false);
    vaddex::DeleteFileIfExists(path);
    if (!rig.Backup(path)) {
        throw std::runtime_error("the undamaged backup failed");
    }
    return FileBytes(path);
}

Outcome RunOne(Operation op, bool crc, double rate, int seed, const std::string& path,
               const std::string& archive) {
    vaddex::DeleteFileIfExists(path);
    Rig rig(crc);
    if (op == Operation::kPut) {
        std::string file = vaddex::WrapAsStringObject(BigText(kPutText), "K8");
        if (!vaddex::WriteWholeFile(path, file)) {
            throw std::runtime_error("cannot write " + path);
        }
        rig.Damage(rate, static_cast<std::uint64_t>(seed), true);
        bool reported = rig.Put(path);
        rig.Damage(0, 0, false);
        std::string held = rig.CalculatorFile("BIGP");
        if (!reported) {
            return Outcome::kFailed;
        }
        return held.size() > 8 && held.substr(8) == file.substr(8) ? Outcome::kExact
                                                                   : Outcome::kWrong;
    }
    std::string expected = op == Operation::kBackup ? archive : rig.CalculatorFile("BIG");
    rig.Damage(rate, static_cast<std::uint64_t>(seed), false);
    bool reported = op == Operation::kBackup ? rig.Backup(path) : rig.Get(path);
    return Judge(reported, path, expected);
}

void PrintRow(const char* operation, double rate, const char* mode, const Tally& t, int runs) {
    std::string seeds;
    for (int seed : t.wrongSeeds) {
        seeds += (seeds.empty() ? " seeds " : ",") + std::to_string(seed);
    }
    std::printf("%-8s 1/%-6.0f %-9s %5d %5d %5d  %5.1f%%%s\n", operation, 1.0 / rate, mode, t.exact,
                t.failed, t.wrong, 100.0 * t.exact / runs, seeds.c_str());
    std::fflush(stdout);
}

struct Row {
    Operation op;
    double rate;
    bool crc;
    Tally tally;
};

// Runs are independent (each has its own simulator and port) and spend their time waiting on
// the line, so several go at once; the outcomes do not depend on how many.
int Run(int seeds, const std::vector<double>& rates, int workers, const std::string& only) {
    std::string archive =
        only == "put" ? std::string() : CleanArchive(vaddex::TempFolder() + "clean.out");
    std::vector<Row> rows;
    for (Operation op : {Operation::kGet, Operation::kBackup}) {
        for (double rate : rates) {
            for (bool crc : {false, true}) {
                rows.push_back({op, rate, crc, {}});
            }
        }
    }
    // The calculator chooses the check of what it receives.
    for (double rate : rates) {
        rows.push_back({Operation::kPut, rate, false, {}});
    }
    if (!only.empty()) {
        std::erase_if(rows, [&](const Row& row) { return only != OperationName(row.op); });
    }
    std::size_t jobs = rows.size() * static_cast<std::size_t>(seeds);
    std::atomic<std::size_t> next{0};
    std::mutex tallyMutex;
    std::int64_t start = TickMs();
    std::vector<std::thread> pool;
    for (int w = 0; w < workers; ++w) {
        pool.emplace_back([&, w] {
            std::string path = vaddex::TempFolder() + "damaged" + std::to_string(w) + ".out";
            for (std::size_t job = next++; job < jobs; job = next++) {
                Row& row = rows[job / static_cast<std::size_t>(seeds)];
                int seed = static_cast<int>(job % static_cast<std::size_t>(seeds)) + 1;
                Outcome outcome = Outcome::kFailed;
                std::int64_t began = TickMs();
                try {
                    outcome = RunOne(row.op, row.crc, row.rate, seed, path, archive);
                } catch (const std::exception& e) {
                    std::fprintf(stderr, "run %zu could not be set up: %s\n", job, e.what());
                }
                std::fprintf(stderr, "%s 1/%.0f %s seed %d: %s in %.1f s\n", OperationName(row.op),
                             1.0 / row.rate, row.crc ? "crc" : "checksum", seed,
                             OutcomeName(outcome), static_cast<double>(TickMs() - began) / 1000.0);
                std::lock_guard lock(tallyMutex);
                row.tally.Add(outcome, seed);
            }
            vaddex::DeleteFileIfExists(path);
        });
    }
    for (std::thread& t : pool) {
        t.join();
    }
    std::printf(
        "%d seeds each; a 100,005-byte string get, a %zu-byte backup and a 20,005-byte put, at %d "
        "bit/s "
        "unpaced, %d runs at once, %.0f s in all\n",
        seeds, archive.size(), kLineSpeed, workers, static_cast<double>(TickMs() - start) / 1000.0);
    std::printf("%-8s %-8s %-9s %5s %5s %5s  %6s\n", "what", "damage", "mode", "exact", "fail",
                "WRONG", "exact");
    for (const Row& row : rows) {
        const char* mode = row.op == Operation::kPut ? "-" : row.crc ? "default" : "checksum";
        PrintRow(OperationName(row.op), row.rate, mode, row.tally, seeds);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string only;
    if (argc > 2 && std::string(argv[1]) == "--only") {
        only = argv[2];
        argv += 2;
        argc -= 2;
    }
    int seeds = argc > 1 ? std::atoi(argv[1]) : kDefaultSeeds;
    int workers = argc > 2 ? std::atoi(argv[2]) : kDefaultWorkers;
    std::vector<double> rates;
    for (int i = 3; i < argc; ++i) {
        rates.push_back(std::atof(argv[i]));
    }
    if (rates.empty()) {
        rates = {0.001, 0.0001};
    }
    if (seeds < 1 || workers < 1) {
        std::fprintf(
            stderr,
            "usage: bench_damaged_line [--only get|backup|put] [SEEDS [WORKERS [RATE...]]]\n");
        return 2;
    }
    return vaddex::bench::RunGuarded([&] { return Run(seeds, rates, workers, only); });
}
