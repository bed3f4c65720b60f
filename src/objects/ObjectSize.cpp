#include "objects/ObjectSize.h"

namespace vaddex {
namespace {

// Bounds-checked reads of little-endian nibble fields.
class NibbleReader {
public:
    explicit NibbleReader(std::string_view data) : data_(data), count_(data.size() * 2) {}

    std::size_t Count() const { return count_; }

    // The `width`-nibble value at `at`; false when the field does not lie inside the data.
    bool Read(std::size_t at, int width, std::uint32_t& value) const {
        if (at > count_ || count_ - at < static_cast<std::size_t>(width)) {
            return false;
        }
        value = 0;
        for (int i = width - 1; i >= 0; --i) {
            value = (value << 4) | Nibble(at + static_cast<std::size_t>(i));
        }
        return true;
    }

private:
    std::uint32_t Nibble(std::size_t k) const {
        auto byte = static_cast<unsigned char>(data_[k / 2]);
        return (k % 2 == 0) ? (byte & 0x0Fu) : (byte >> 4);
    }

    std::string_view data_;
    std::size_t count_;
};

// What one object step found: either the object ended at `next`, or its inner object starts
// there (composites, tagged objects and directories), or the data is damaged.
enum class Step { Ended, Enter, OpenComposite, Damaged };

Step ApplySizeRule(const NibbleReader& in, const ObjectType& type, std::size_t p,
                   std::size_t& next) {
    std::uint32_t v = 0;
    switch (type.rule) {
        case SizeRule::Fixed:
            next = p + static_cast<std::size_t>(type.nibbles);
            return Step::Ended;
        case SizeRule::LengthField:
            if (!in.Read(p + 5, 5, v)) {
                return Step::Damaged;
            }
            next = p + 5 + v;
            return Step::Ended;
        case SizeRule::TwoLengthFields:
        case SizeRule::FourLengthFields: {
            int bodies = type.rule == SizeRule::TwoLengthFields ? 2 : 4;
            next = p + 5;
            for (int i = 0; i < bodies; ++i) {
                if (!in.Read(next, 5, v)) {
                    return Step::Damaged;
                }
                next += v;
            }
            return Step::Ended;
        }
        case SizeRule::Name:
        case SizeRule::Tagged:
            // The count is the low byte of the five nibbles after the prolog; reading only
            // those two keeps a short name at the very end of the data inside it.
            if (!in.Read(p + 5, 2, v)) {
                return Step::Damaged;
            }
            next = p + 7 + 2 * static_cast<std::size_t>(v);
            return type.rule == SizeRule::Name ? Step::Ended : Step::Enter;
        case SizeRule::Composite:
            next = p + 5;
            return Step::OpenComposite;
        case SizeRule::Directory:
            if (!in.Read(p + 8, 5, v)) {
                return Step::Damaged;
            }
            if (v == 0) {
                // An empty directory: the offset field is the last thing in it.
                next = p + 13;
                return Step::Ended;
            }
            next = p + 8 + v;  // the name count of the last entry
            if (!in.Read(next, 2, v)) {
                return Step::Damaged;
            }
            next += 4 + 2 * static_cast<std::size_t>(v);
            return Step::Enter;
    }
    return Step::Damaged;
}

}  // namespace

MeasureResult MeasureObject(std::string_view data, std::size_t& position,
                            const MeasureLimits& limits) {
    NibbleReader in(data);
    MeasureResult result;
    auto fail = [&result](const char* message) {
        result.message = message;
        return result;
    };
    // Tagged objects and directories end where their one inner object ends, so the only work
    // left pending after an inner object is a composite's search for its Semi: the explicit
    // stack of the walk reduces to the number of composites still open.
    std::size_t openComposites = 0;
    for (;;) {
        if (limits.clock() - limits.startMs > kMeasureTimeLimitMs) {
            return fail(kDecompTimeOutText);
        }
        std::uint32_t prolog = 0;
        if (!in.Read(position, 5, prolog)) {
            return fail(kObjectPastEndText);
        }
        ++result.objectCount;
        int row = FindObjectType(prolog, limits.rowCount);
        std::size_t next = position + 5;
        Step step = Step::Ended;
        if (row >= 0) {
            step =
                ApplySizeRule(in, ObjectTypeTable[static_cast<std::size_t>(row)], position, next);
        }
        if (step == Step::Damaged || next > in.Count()) {
            return fail(kObjectPastEndText);
        }
        position = next;
        if (step == Step::Enter) {
            continue;
        }
        if (step == Step::OpenComposite) {
            ++openComposites;
        }
        // Close every composite whose next object is its Semi.
        while (openComposites > 0) {
            if (!in.Read(position, 5, prolog)) {
                return fail(kObjectPastEndText);
            }
            if (prolog != kSemiProlog) {
                break;
            }
            position += 5;
            --openComposites;
        }
        if (openComposites == 0) {
            result.success = true;
            return result;
        }
    }
}

ObjectSizeResult ObjectSize(std::string& objectFile) {
    return ObjectSize(objectFile, TickMs(), &TickMs);
}

ObjectSizeResult ObjectSize(std::string& objectFile, std::int64_t startMs, TickSource clock) {
    MeasureLimits limits;
    limits.rowCount = ObjectTypeCountForSeries(objectFile.size() > 5 ? objectFile[5] : '\0');
    limits.startMs = startMs;
    limits.clock = clock;

    ObjectSizeResult result;
    std::size_t position = kObjectStartNibble;
    MeasureResult measured = MeasureObject(objectFile, position, limits);
    if (!measured.success) {
        result.message = measured.message;
        return result;
    }
    objectFile.resize((position + 1) / 2);
    if (position % 2 == 1) {
        result.odd = true;
        objectFile.back() = static_cast<char>(static_cast<unsigned char>(objectFile.back()) & 0x0F);
    }
    result.success = true;
    return result;
}

}  // namespace vaddex
