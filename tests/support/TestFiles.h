#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, made the working
// folder for the test's lifetime and removed afterwards.
class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::filesystem::path& GetPath() const { return m_path; }
    // The folder as the program spells it in full paths.
    std::string GetName() const { return m_path.string(); }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};

// `size` bytes in which every offset is distinguishable from its neighbours.
std::string MakeBytes(std::size_t size, unsigned seed = 1);

// Every name in `folder`, hidden ones too, sorted.
std::vector<std::string> ListFolder(const std::filesystem::path& folder);

void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);
