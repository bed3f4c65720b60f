#include "sim/calc/ObjectCodec.h"

#include <optional>

#include "sim/calc/CommandTable.h"
#include "sim/calc/NibbleFields.h"
#include "sim/calc/ObjectWalker.h"

namespace zqsim {

namespace {

void AppendName(std::string& out, const std::string& name) {
    AppendField(out, static_cast<std::uint32_t>(name.size() & 0xFF), 2);
    AppendBytes(out, name.substr(0, 0xFF));
}

void EncodeDirectory(std::string& out, const SimObject& dir) {
    std::size_t p = out.size();
    AppendField(out, kPrologDirectory, 5);
    AppendField(out, 0, 3);
    AppendField(out, 0, 5);  // offset to the last entry, filled in below
    std::size_t previousCount = 0;
    for (std::size_t i = 0; i < dir.entries.size(); ++i) {
        std::size_t link = out.size();
        AppendField(out, i == 0 ? 0 : static_cast<std::uint32_t>(link - previousCount), 5);
        previousCount = out.size();
        const std::string& name = dir.entries[i].name;
        AppendName(out, name);
        AppendField(out, static_cast<std::uint32_t>(name.size() & 0xFF), 2);
        out += EncodeObject(*dir.entries[i].object);
    }
    if (!dir.entries.empty()) {
        std::string offset;
        AppendField(offset, static_cast<std::uint32_t>(previousCount - (p + 8)), 5);
        out.replace(p + 8, 5, offset);
    }
}

class Decoder {
public:
    Decoder(std::string_view nibbles, int rowCount) : nibbles_(nibbles), rowCount_(rowCount) {}

    // The object at `pos`, with `end` just past it; nullptr when damaged.
    ObjPtr At(std::size_t pos, std::size_t& end, int depth) {
        if (depth > kMaxObjectDepth) {
            return nullptr;
        }
        auto measured = MeasureObjectAt(nibbles_, pos, rowCount_);
        if (!measured) {
            return nullptr;
        }
        end = *measured;
        std::uint32_t prolog = *ReadField(nibbles_, pos, 5);
        std::shared_ptr<SimObject> object = Structured(prolog, pos, end, depth);
        if (!object) {
            // A directory must be understood, or the listing would show its entries wrong.
            if (prolog == kPrologDirectory) {
                return nullptr;
            }
            object = std::make_shared<SimObject>();
            object->kind = ObjKind::Raw;
        }
        object->exact = std::string(nibbles_.substr(pos, end - pos));
        return object;
    }

private:
    std::shared_ptr<SimObject> Make(ObjKind kind) {
        auto object = std::make_shared<SimObject>();
        object->kind = kind;
        return object;
    }

    std::shared_ptr<SimObject> Structured(std::uint32_t prolog, std::size_t pos, std::size_t end,
                                          int depth) {
        Cmd cmd;
        if (CommandAtAddress(prolog, cmd) && cmd != Cmd::Count) {
            auto object = Make(ObjKind::Command);
            object->number = prolog;
            return object;
        }
        if (!FindPrologRow(prolog, rowCount_)) {
            return nullptr;
        }
        switch (prolog) {
            case kPrologReal: {
                auto value = RealNumber::FromBcd(nibbles_.substr(pos + 5, 16));
                if (!value) {
                    return nullptr;
                }
                auto object = Make(ObjKind::Real);
                object->real = *value;
                return object;
            }
            case kPrologBinary: {
                auto object = Make(ObjKind::Binary);
                object->number = *ReadField(nibbles_, pos + 5, 5);
                return object;
            }
            case kPrologString: {
                std::uint32_t length = *ReadField(nibbles_, pos + 5, 5);
                if (length % 2 == 0) {
                    return nullptr;
                }
                auto object = Make(ObjKind::String);
                object->text = *ReadBytes(nibbles_, pos + 10, (length - 5) / 2);
                return object;
            }
            case kPrologGlobal: {
                auto object = Make(ObjKind::Global);
                object->text = *ReadBytes(nibbles_, pos + 7, (end - pos - 7) / 2);
                return object;
            }
            case kPrologList:
                return Composite(ObjKind::List, pos + 5, end, depth);
            case kPrologProgram:
                return Composite(ObjKind::Program, pos + 5, end, depth);
            case kPrologAlgebraic:
                return Composite(ObjKind::Algebraic, pos + 5, end, depth);
            case kPrologTagged:
                return Tagged(pos, end, depth);
            case kPrologDirectory:
                return Directory(pos, end, depth);
            case kPrologBackup:
                return Backup(pos, end, depth);
            default:
                return nullptr;
        }
    }

    std::shared_ptr<SimObject> Composite(ObjKind kind, std::size_t pos, std::size_t end,
                                         int depth) {
        auto object = Make(kind);
        while (pos + 5 < end) {
            std::size_t next = 0;
            ObjPtr item = At(pos, next, depth + 1);
            if (!item) {
                return nullptr;
            }
            object->items.push_back(std::move(item));
            pos = next;
        }
        return object;
    }

    std::shared_ptr<SimObject> Tagged(std::size_t pos, std::size_t end, int depth) {
        std::uint32_t count = *ReadField(nibbles_, pos + 5, 2);
        std::size_t inner = pos + 7 + 2 * count;
        std::size_t innerEnd = 0;
        ObjPtr object = At(inner, innerEnd, depth + 1);
        if (!object || innerEnd != end) {
            return nullptr;
        }
        auto tagged = Make(ObjKind::Tagged);
        tagged->text = *ReadBytes(nibbles_, pos + 7, count);
        tagged->items.push_back(std::move(object));
        return tagged;
    }

    std::shared_ptr<SimObject> Directory(std::size_t p, std::size_t end, int depth) {
        auto dir = Make(ObjKind::Directory);
        std::uint32_t offset = *ReadField(nibbles_, p + 8, 5);
        if (offset == 0) {
            return dir;
        }
        std::size_t lastCount = p + 8 + offset;
        std::size_t pos = p + kEmptyDirectorySize;
        while (true) {
            std::size_t countPos = pos + 5;
            auto count = ReadField(nibbles_, countPos, 2);
            if (!count || countPos > lastCount) {
                return nullptr;
            }
            std::size_t namePos = countPos + 2;
            auto name = ReadBytes(nibbles_, namePos, *count);
            auto again = ReadField(nibbles_, namePos + 2 * *count, 2);
            if (!name || !again || *again != *count) {
                return nullptr;
            }
            std::size_t objectEnd = 0;
            ObjPtr object = At(namePos + 2 * *count + 2, objectEnd, depth + 1);
            // A damaged sub-directory would corrupt the listing; refuse the whole.
            if (!object || (object->Prolog() == kPrologDirectory && !object->IsDirectory())) {
                return nullptr;
            }
            dir->entries.push_back({*name, std::move(object)});
            if (countPos == lastCount) {
                return objectEnd == end ? dir : nullptr;
            }
            pos = objectEnd;
        }
    }

    std::shared_ptr<SimObject> Backup(std::size_t pos, std::size_t end, int depth) {
        std::size_t innerEnd = 0;
        ObjPtr home = At(pos + 10, innerEnd, depth + 1);
        if (!home || !home->IsDirectory() || innerEnd != end) {
            return nullptr;
        }
        auto backup = Make(ObjKind::Backup);
        backup->items.push_back(std::move(home));
        return backup;
    }

    std::string_view nibbles_;
    int rowCount_;
};

}  // namespace

std::string EncodeObject(const SimObject& object) {
    if (!object.exact.empty()) {
        return object.exact;
    }
    std::string out;
    switch (object.kind) {
        case ObjKind::Real:
            AppendField(out, kPrologReal, 5);
            out += object.real.ToBcd();
            break;
        case ObjKind::String:
            AppendField(out, kPrologString, 5);
            AppendField(out, static_cast<std::uint32_t>(5 + 2 * object.text.size()), 5);
            AppendBytes(out, object.text);
            break;
        case ObjKind::Global:
            AppendField(out, kPrologGlobal, 5);
            AppendName(out, object.text);
            break;
        case ObjKind::Binary:
            AppendField(out, kPrologBinary, 5);
            AppendField(out, object.number & kBinaryMask, 5);
            break;
        case ObjKind::List:
        case ObjKind::Program:
        case ObjKind::Algebraic:
            AppendField(out, object.Prolog(), 5);
            for (const ObjPtr& item : object.items) {
                out += EncodeObject(*item);
            }
            AppendField(out, kPrologSemi, 5);
            break;
        case ObjKind::Tagged:
            AppendField(out, kPrologTagged, 5);
            AppendName(out, object.text);
            out += EncodeObject(*object.items.at(0));
            break;
        case ObjKind::Directory:
            EncodeDirectory(out, object);
            break;
        case ObjKind::Backup: {
            std::string home = EncodeObject(*object.items.at(0));
            AppendField(out, kPrologBackup, 5);
            AppendField(out, static_cast<std::uint32_t>(5 + home.size()), 5);
            out += home;
            break;
        }
        case ObjKind::Command:
            AppendField(out, object.number, 5);
            break;
        case ObjKind::Raw:
            break;
    }
    return out;
}

ObjPtr DecodeObject(std::string_view nibbles, int rowCount) {
    std::size_t end = 0;
    Decoder decoder(nibbles, rowCount);
    ObjPtr object = decoder.At(0, end, 0);
    return object && end == nibbles.size() ? object : nullptr;
}

}  // namespace zqsim
