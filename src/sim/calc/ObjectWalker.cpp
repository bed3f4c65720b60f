#include "sim/calc/ObjectWalker.h"

#include "sim/calc/NibbleFields.h"

namespace zqsim {

namespace {

using OptPos = std::optional<std::size_t>;

// An end position is good only when it lies inside the data.
OptPos Within(std::string_view nibbles, std::size_t end) {
    return end <= nibbles.size() ? OptPos(end) : std::nullopt;
}

// A length field's body: it counts itself, so anything below 5 is damage.
OptPos LengthBody(std::string_view nibbles, std::size_t pos) {
    auto length = ReadField(nibbles, pos, 5);
    if (!length || *length < 5) {
        return std::nullopt;
    }
    return Within(nibbles, pos + *length);
}

OptPos PastName(std::string_view nibbles, std::size_t pos) {
    auto count = ReadField(nibbles, pos, 2);
    if (!count) {
        return std::nullopt;
    }
    return Within(nibbles, pos + 2 + 2 * static_cast<std::size_t>(*count));
}

OptPos Measure(std::string_view nibbles, std::size_t pos, int rowCount, int depth);

OptPos MeasureComposite(std::string_view nibbles, std::size_t pos, int rowCount, int depth) {
    while (true) {
        auto prolog = ReadField(nibbles, pos, 5);
        if (!prolog) {
            return std::nullopt;
        }
        if (*prolog == kPrologSemi) {
            return pos + 5;
        }
        auto next = Measure(nibbles, pos, rowCount, depth + 1);
        if (!next) {
            return std::nullopt;
        }
        pos = *next;
    }
}

OptPos MeasureDirectory(std::string_view nibbles, std::size_t p, int rowCount, int depth) {
    auto offset = ReadField(nibbles, p + 8, 5);
    if (!offset) {
        return std::nullopt;
    }
    if (*offset == 0) {
        return Within(nibbles, p + kEmptyDirectorySize);
    }
    std::size_t q = p + 8 + *offset;
    auto count = ReadField(nibbles, q, 2);
    if (!count) {
        return std::nullopt;
    }
    q += 4 + 2 * static_cast<std::size_t>(*count);
    return Measure(nibbles, q, rowCount, depth + 1);
}

OptPos Measure(std::string_view nibbles, std::size_t pos, int rowCount, int depth) {
    if (depth > kMaxObjectDepth) {
        return std::nullopt;
    }
    auto prolog = ReadField(nibbles, pos, 5);
    if (!prolog) {
        return std::nullopt;
    }
    const PrologRow* row = FindPrologRow(*prolog, rowCount);
    if (!row) {
        return pos + 5;
    }
    switch (row->rule) {
        case SizeRule::Fixed:
            return Within(nibbles, pos + row->fixedSize);
        case SizeRule::LengthField:
            return LengthBody(nibbles, pos + 5);
        case SizeRule::TwoLengths: {
            auto first = LengthBody(nibbles, pos + 5);
            return first ? LengthBody(nibbles, *first) : std::nullopt;
        }
        case SizeRule::FourLengths: {
            auto first = LengthBody(nibbles, pos + 5);
            auto second = first ? LengthBody(nibbles, *first) : std::nullopt;
            auto third = second ? LengthBody(nibbles, *second) : std::nullopt;
            return third ? LengthBody(nibbles, *third) : std::nullopt;
        }
        case SizeRule::Name:
            return PastName(nibbles, pos + 5);
        case SizeRule::Composite:
            return MeasureComposite(nibbles, pos + 5, rowCount, depth);
        case SizeRule::Tagged: {
            auto object = PastName(nibbles, pos + 5);
            return object ? Measure(nibbles, *object, rowCount, depth + 1) : std::nullopt;
        }
        case SizeRule::Directory:
            return MeasureDirectory(nibbles, pos, rowCount, depth);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::size_t> MeasureObjectAt(std::string_view nibbles, std::size_t pos,
                                           int rowCount) {
    return Measure(nibbles, pos, rowCount, 0);
}

}  // namespace zqsim
