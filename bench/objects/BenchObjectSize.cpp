// Times ObjectSize on a backup-like image of about 2 MB holding about 200,000 objects:
// lists of reals and strings inside directories, several levels deep.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "objects/ObjectBuilder.h"
#include "objects/ObjectSize.h"

namespace {

using namespace vaddex;

constexpr int kFolders = 10;
constexpr int kListsPerFolder = 20;
constexpr int kItemsPerList = 1000;
constexpr int kRuns = 7;

std::string ItemList(int seed) {
    std::vector<std::string> items;
    items.reserve(kItemsPerList);
    for (int i = 0; i < kItemsPerList; ++i) {
        items.push_back(i % 2 == 0 ? test::Real(static_cast<unsigned>(seed + i))
                                   : test::String("v" + std::to_string(i % 1000)));
    }
    return test::List(items);
}

std::string BackupImage() {
    std::vector<std::string> folders;
    for (int f = 0; f < kFolders; ++f) {
        std::vector<std::string> lists;
        for (int l = 0; l < kListsPerFolder; ++l) {
            lists.push_back(ItemList(f * 100000 + l * 1000));
        }
        folders.push_back(test::Directory(
            {{"X", test::Real()}, {"NOTE", test::String("folder")}, {"SET", test::List(lists)}}));
    }
    std::string home = test::Directory(
        {{"CFG", test::Real()}, {"EMPTY", test::Directory({})}, {"DATA", test::List(folders)}});
    return test::ObjectFile(home, std::string(100, '\0'));
}

}  // namespace

int main() {
    const std::string image = BackupImage();
    std::size_t position = kObjectStartNibble;
    MeasureResult measured =
        MeasureObject(image, position, MeasureLimits{kObjectTypeCount, TickMs(), &TickMs});
    if (!measured.success) {
        std::printf("measurement failed: %s\n", measured.message.c_str());
        return 1;
    }

    double bestMs = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        std::string file = image;
        auto start = std::chrono::steady_clock::now();
        ObjectSizeResult result = ObjectSize(file);
        auto end = std::chrono::steady_clock::now();
        if (!result.success || file.size() != (position + 1) / 2) {
            std::printf("ObjectSize failed: %s\n", result.message.c_str());
            return 1;
        }
        bestMs = std::min(bestMs, std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::printf("objects measured:   %zu\n", measured.objectCount);
    std::printf("bytes:              %zu\n", image.size());
    std::printf("best of %d runs:     %.2f ms\n", kRuns, bestMs);
    std::printf("objects per second: %.0f\n", measured.objectCount / (bestMs / 1000.0));
    std::printf("ratio to 100 ms:    %.3f\n", bestMs / 100.0);
    return 0;
}
