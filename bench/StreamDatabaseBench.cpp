// Throughput of the two halves of a conversion, filling the block list from
// the input and writing the database, for a puzzle of 5 KB, a 1 MB file and
// the largest input a database can hold.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/BufferedWriter.h"
#include "platform/DatabaseCodePage.h"
#include "platform/File.h"
#include "streamdb/StreamBlockArray.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kPuzzle = 5 * 1024;
constexpr std::int64_t kMegabyte = 1024 * 1024;
constexpr std::int64_t kLargest = 65535LL * 4088;
constexpr std::uint32_t kTimestamp = 0xE73C5D1B;

// A folder of its own for the run, removed at the end.
class CBenchFolder {
public:
    CBenchFolder()
        : m_path(fs::temp_directory_path() / ("quintar-bench-" + std::to_string(getpid()))) {
        fs::create_directories(m_path);
    }
    ~CBenchFolder() {
        std::error_code error;
        fs::remove_all(m_path, error);
    }
    // An input of `size` random bytes, made once.
    std::string Input(std::int64_t size) const {
        const fs::path path = m_path / ("in-" + std::to_string(size) + ".puz");
        if (!fs::exists(path)) {
            std::mt19937 generator(static_cast<unsigned>(size));
            std::string bytes(static_cast<std::size_t>(size), '\0');
            for (char& byte : bytes) {
                byte = static_cast<char>(generator());
            }
            std::ofstream(path, std::ios::binary).write(bytes.data(), size);
        }
        return path.string();
    }
    std::string Output() const { return (m_path / "out.pdb").string(); }

private:
    fs::path m_path;
};

const CBenchFolder& Folder() {
    static const CBenchFolder folder;
    return folder;
}

void Fill(const std::string& input, CStreamBlockArray& blocks, benchmark::State& state) {
    CFile file;
    if (!file.Open(input, CFile::EOpenMode::kReadExisting)) {
        state.SkipWithError("cannot open the input");
        return;
    }
    if (blocks.Fill(file) != EFillResult::kFilled) {
        state.SkipWithError("the input did not fill the block list");
    }
}

void BM_FillBlockArray(benchmark::State& state) {
    const std::string input = Folder().Input(state.range(0));
    for (auto _ : state) {
        CStreamBlockArray blocks;
        Fill(input, blocks, state);
        benchmark::DoNotOptimize(blocks.GetCount());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_WriteDatabase(benchmark::State& state) {
    CStreamBlockArray blocks;
    Fill(Folder().Input(state.range(0)), blocks, state);
    const std::string output = Folder().Output();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(output);
        state.ResumeTiming();
        CFile file;
        if (!file.OpenReplacement(output, CFile())) {
            state.SkipWithError("cannot create the database");
            break;
        }
        CBufferedWriter writer(file);
        blocks.WriteDatabase(writer, CDatabaseCodePage(), kTimestamp);
        if (!writer.Flush() || !file.Commit()) {
            state.SkipWithError("the database was not written");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_FillBlockArray)->Arg(kPuzzle)->Arg(kMegabyte)->Arg(kLargest)->UseRealTime();
BENCHMARK(BM_WriteDatabase)->Arg(kPuzzle)->Arg(kMegabyte)->Arg(kLargest)->UseRealTime();

BENCHMARK_MAIN();
