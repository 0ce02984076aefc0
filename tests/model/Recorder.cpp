#include "Recorder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <unistd.h>

TTempFolder::TTempFolder() {
    static std::atomic<unsigned> Serial{0};
    const auto Stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    Path = std::filesystem::temp_directory_path() /
           ("korvant-model-" + std::to_string(::getpid()) + "-" + std::to_string(Stamp) + "-" +
            std::to_string(Serial++));
    if (!std::filesystem::create_directory(Path))
        throw std::runtime_error("temporary folder exists: " + Path.string());
}

TTempFolder::~TTempFolder() {
    std::error_code Ignored;
    std::filesystem::remove_all(Path, Ignored);
}

std::string ReadBytes(const std::string& FileName) {
    std::ifstream In(FileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& FileName, std::string_view Bytes) {
    std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
    Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

std::vector<std::string> Entries(const std::filesystem::path& Folder) {
    std::vector<std::string> Names;
    for (const auto& Entry : std::filesystem::directory_iterator(Folder))
        Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}
