#include "objects/ObjectTypeTable.h"

namespace vaddex {

int FindObjectType(std::uint32_t prolog, int rowCount) {
    for (int row = 0; row < rowCount && row < kObjectTypeCount; ++row) {
        if (ObjectTypeTable[static_cast<std::size_t>(row)].prolog == prolog) {
            return row;
        }
    }
    return -1;
}

TypeName TypeNameOf(std::uint32_t prolog) {
    int row = FindObjectType(prolog, kObjectTypeCount);
    if (row < 0) {
        return {};
    }
    return {std::string(ObjectTypeTable[static_cast<std::size_t>(row)].typeName), row};
}

int ObjectTypeCountForSeries(char seriesDigit) {
    // Only the last character of the series code tells the two heads apart.
    return seriesDigit == '8' ? kObjectTypeCount : kFirstSeriesTypeCount;
}

}  // namespace vaddex
