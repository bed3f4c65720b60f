#pragma once

#include <string>
#include <vector>

namespace vaddex::gui {

// Column tags of the item list: what a column shows, wherever it stands.
inline constexpr int kTagFiles = 0;
inline constexpr int kTagSize = 1;
inline constexpr int kTagType = 2;

// One row of the item list as sorting sees it.
struct ListRow {
    std::string caption;                // the item's name (calculator bytes, display form)
    int icon = 0;                       // the type code; 34 is a directory
    std::vector<std::string> subItems;  // the texts of columns 1 and 2, in column order
};

struct SortState {
    int column = 0;  // the sort column's position
    bool reverse = false;
};

// -1, 0 or +1: directories first, then by the sort column (names and types without regard to
// ASCII case, sizes as numbers); reverse negates all of it, so directories then come last.
int ListView1Compare(const ListRow& row1, const ListRow& row2, const SortState& sort,
                     int sortColumnTag);

// A click on a column header: the sort column toggles its direction, another column becomes
// the sort column in ascending order.
SortState ListView1ColumnClick(const SortState& sort, int column);

// Case-insensitive ASCII comparison of byte strings: -1, 0 or +1.
int CompareTextNoCase(const std::string& a, const std::string& b);

}  // namespace vaddex::gui
