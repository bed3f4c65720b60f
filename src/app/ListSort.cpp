#include "app/ListSort.h"

#include <charconv>
#include <cstdint>

#include "session/TXPObject.h"

namespace vaddex::gui {
namespace {

unsigned char LowerAscii(char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

std::int64_t SizeNumber(const std::string& text) {
    std::int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

int Sign(std::int64_t value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

int CompareKeys(const ListRow& row1, const ListRow& row2, const SortState& sort, int tag) {
    if (tag == kTagFiles) {
        return CompareTextNoCase(row1.caption, row2.caption);
    }
    auto subItem = [&sort](const ListRow& row) {
        std::size_t index = static_cast<std::size_t>(sort.column - 1);
        return sort.column >= 1 && index < row.subItems.size() ? row.subItems[index]
                                                               : std::string();
    };
    if (tag == kTagSize) {
        return Sign(SizeNumber(subItem(row1)) - SizeNumber(subItem(row2)));
    }
    return CompareTextNoCase(subItem(row1), subItem(row2));
}

}  // namespace

int CompareTextNoCase(const std::string& a, const std::string& b) {
    std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        unsigned char x = LowerAscii(a[i]);
        unsigned char y = LowerAscii(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int ListView1Compare(const ListRow& row1, const ListRow& row2, const SortState& sort,
                     int sortColumnTag) {
    bool directory1 = row1.icon == kDirectoryTypeCode;
    bool directory2 = row2.icon == kDirectoryTypeCode;
    int result = 0;
    if (directory1 != directory2) {
        result = directory1 ? -1 : 1;
    } else {
        result = CompareKeys(row1, row2, sort, sortColumnTag);
    }
    return sort.reverse ? -result : result;
}

SortState ListView1ColumnClick(const SortState& sort, int column) {
    if (column == sort.column) {
        return {column, !sort.reverse};
    }
    return {column, false};
}

}  // namespace vaddex::gui
