// pikora-check: loads a story folder's content files by the program's own
// rules and says, file by file, what the program would make of them.
//
//   pikora-check [DIR]              check DIR (default: the current directory)
//   pikora-check --decode FILE OUT  decode one picture into a binary PPM (P6)
//
// Exit status: 0 when every checked file loads, 1 otherwise, 2 for bad usage.

#include "content/Errors.h"
#include "content/Picture.h"
#include "content/Text.h"
#include "media/Clip.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

enum class Kind { Picture, Text, Clip };

struct ContentFile {
    const char* name;
    Kind kind;
};

// Every content file the program reads, in the order of the story's table.
constexpr ContentFile kContentFiles[] = {
    {"ver.bmp", Kind::Picture},     {"s_1.bmp", Kind::Picture},    {"v_1.txt", Kind::Text},
    {"s_2.bmp", Kind::Picture},     {"s_3.bmp", Kind::Picture},    {"d_1.bmp", Kind::Picture},
    {"d_2.bmp", Kind::Picture},     {"eat.bmp", Kind::Picture},    {"1.bmp", Kind::Picture},
    {"2.bmp", Kind::Picture},       {"start.bmp", Kind::Picture},  {"start.wav", Kind::Clip},
    {"he.wav", Kind::Clip},         {"hanashi.wav", Kind::Clip},   {"himei1.wav", Kind::Clip},
    {"himei2.wav", Kind::Clip},     {"eat1.wav", Kind::Clip},      {"end.wav", Kind::Clip},
};

struct Result {
    enum Status { Ok, Failed } status;
    std::string text; // what was found, or the error as the user would see it
};

std::string describe(const pikora::Bitmap& bitmap, const pikora::BmpInfo& info)
{
    if (bitmap.isEmpty())
        return "empty picture";
    std::string text = std::to_string(info.width) + "x" + std::to_string(info.height) + ", "
        + std::to_string(info.bitsPerPixel) + "-bit, " + std::string(info.compression);
    if (info.topDown)
        text += ", top-down";
    return text;
}

Result checkPicture(const char* name)
{
    pikora::BmpInfo info;
    const pikora::Bitmap bitmap = pikora::loadPicture(name, &info);
    return {Result::Ok, describe(bitmap, info)};
}

Result checkText(const char* name)
{
    const std::u16string text = pikora::loadText(name);
    const auto lines = std::count(text.begin(), text.end(), u'\n')
        + (!text.empty() && text.back() != u'\n' ? 1 : 0);
    const auto unreadable = std::count(text.begin(), text.end(), u'\uFFFD');
    std::string found = std::to_string(text.size()) + " characters, " + std::to_string(lines)
        + (lines == 1 ? " line" : " lines");
    if (unreadable > 0)
        found += ", " + std::to_string(unreadable) + " undecodable (shown as U+FFFD)";
    return {Result::Ok, found};
}

// Opened through the voice layer exactly as the player's Open does, not played.
Result checkClip(const char* name)
{
    return {Result::Ok, pikora::describe(pikora::probeClip(name))};
}

Result check(const ContentFile& file)
{
    try {
        switch (file.kind) {
        case Kind::Picture: return checkPicture(file.name);
        case Kind::Text: return checkText(file.name);
        case Kind::Clip: return checkClip(file.name);
        }
    } catch (const pikora::Exception& e) {
        return {Result::Failed, pikora::errorBoxText(e.what())};
    }
    return {Result::Failed, {}};
}

int checkFolder(const char* dir)
{
    if (dir && ::chdir(dir) != 0) {
        std::cerr << "pikora-check: " << dir << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    bool allLoaded = true;
    for (const ContentFile& file : kContentFiles) {
        const Result result = check(file);
        std::cout << file.name << "  ";
        if (result.status == Result::Ok)
            std::cout << "OK  ";
        std::cout << result.text << '\n';
        if (result.status == Result::Failed)
            allLoaded = false;
    }
    return allLoaded ? 0 : 1;
}

int decodeToPpm(const char* fileName, const char* outName)
{
    pikora::Bitmap bitmap;
    try {
        bitmap = pikora::loadPicture(fileName);
    } catch (const pikora::Exception& e) {
        std::cout << pikora::errorBoxText(e.what()) << '\n';
        return 1;
    }
    std::string ppm = "P6\n" + std::to_string(bitmap.width) + " " + std::to_string(bitmap.height) + "\n255\n";
    const std::vector<std::uint32_t> pixels = pikora::rgb32Pixels(bitmap);
    ppm.reserve(ppm.size() + pixels.size() * 3);
    for (const std::uint32_t p : pixels) {
        ppm += static_cast<char>(p >> 16);
        ppm += static_cast<char>(p >> 8);
        ppm += static_cast<char>(p);
    }
    std::ofstream out(outName, std::ios::binary | std::ios::trunc);
    out.write(ppm.data(), static_cast<std::streamsize>(ppm.size()));
    out.close();
    if (!out) {
        std::cerr << "pikora-check: cannot write " << outName << '\n';
        return 1;
    }
    return 0;
}

int usage()
{
    std::cerr << "usage: pikora-check [DIR]\n"
                 "       pikora-check --decode FILE OUT.ppm\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--decode") == 0)
        return argc == 4 ? decodeToPpm(argv[2], argv[3]) : usage();
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage();
        return 0;
    }
    if (argc > 2 || (argc == 2 && argv[1][0] == '-'))
        return usage();
    return checkFolder(argc == 2 ? argv[1] : nullptr);
}
