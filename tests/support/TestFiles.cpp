#include "tests/support/TestFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

CTempFolder::CTempFolder() : m_previous(fs::current_path()) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("quintar-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            // The canonical spelling, so that paths compare with what the program forms.
            m_path = fs::canonical(candidate);
            fs::current_path(m_path);
            return;
        }
    }
    throw std::runtime_error("no temporary folder");
}

CTempFolder::~CTempFolder() {
    std::error_code error;
    fs::current_path(m_previous, error);
    // Tests make files and folders read-only; give the owner back every right.
    for (auto entry = fs::recursive_directory_iterator(m_path, error);
         !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::remove_all(m_path, error);
}

std::string MakeBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(generator());
    }
    return bytes;
}

std::vector<std::string> ListFolder(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
