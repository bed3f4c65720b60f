// Copies between PC files and the calculator, and the archive of its whole memory: the
// operations that write the user's files or send them, with what came of each.

#include "objects/ObjectSize.h"
#include "objects/ObjectTypeTable.h"
#include "session/ArchiveCheck.h"
#include "session/DroppedFileCheck.h"
#include "session/PromptTexts.h"
#include "session/SessionCommands.h"
#include "session/TXModemServer.h"
#include "util/Errors.h"
#include "util/FileIo.h"
#include "util/ScopeExit.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

constexpr const char* kNotReplacedCaption = "File Not Replaced";
// The type code of a listing row is its type table row plus this.
constexpr int kTypeCodeOffset = 9;

// The outcome with the operation's own text where it has none of its own to tell: a decline,
// or a transfer that failed; a raised failure keeps the reason it gave.
Outcome Told(const Outcome& outcome, const std::string& text) {
    bool ownText = outcome.IsFailed() && !outcome.message.empty();
    return ownText ? outcome : outcome.Saying(text);
}

// Items a directory holds, its subdirectories' included.
int ItemsInside(const TXPObject& directory) {
    int count = 0;
    for (const auto& child : directory.Children) {
        count += 1 + ItemsInside(*child);
    }
    return count;
}

// The type code of the object in a binary object file; 0 when the file holds none the type
// table knows.
int SentTypeCode(const std::string& path) {
    std::string head;
    if (!ReadWholeFile(path, head) || head.size() < 11 || head.compare(0, 4, "ZQZQ") != 0) {
        return 0;
    }
    auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(head[i] & 0xFF); };
    // The prolog's five nibbles, low half of each byte first, behind the 8-byte header.
    std::uint32_t prolog = byte(8) | byte(9) << 8 | (byte(10) & 0x0F) << 16;
    TypeName type = TypeNameOf(prolog);
    return type.index ? *type.index + kTypeCodeOffset : 0;
}

}  // namespace

// --- copying between PC and calculator ----------------------------------------------------

Outcome SessionCommands::FetchItem(const TXPObject& item, const std::string& folder,
                                   std::string& path) {
    path = folder + FileNameForItem(item.Name) + ObjectExtension();
    return GetItemTo(item, path);
}

Outcome SessionCommands::GetItemTo(const TXPObject& item, const std::string& path) {
    Outcome got = Guarded([&] {
        RequireWritable(path);
        return WritingUserFile(path, [&] {
            return session_.GetToFile(FileNameForItem(item.Name), path, item.GetSize(),
                                      item.TypeCode);
        });
    });
    return Logged("copied " + item.Name + " to " + path, Told(got, item.Name + ": not copied"));
}

Outcome SessionCommands::FetchItemData(const TXPObject& item, std::string& bytes) {
    bytes.clear();
    Outcome read = Guarded([&] {
        std::string file;
        Outcome got = session_.GetObjectFile(FileNameForItem(item.Name), item.GetSize(),
                                             item.TypeCode, file, item.Name);
        if (got) {
            bytes = std::move(file);
        }
        return Told(got, item.Name + ": not copied");
    });
    return Logged("read " + item.Name, read);
}

Outcome SessionCommands::WritingUserFile(const std::string& path,
                                         const std::function<Outcome()>& write) {
    bool existed = IsRegularFile(path);
    Outcome written = Outcome::Fail(Outcome::Kind::LinkFailed, "");
    {
        ScopeExit notReplaced([&] {
            if (!written && existed) {
                try {
                    Ui().ShowMessage(kNotReplacedCaption,
                                     path + "\r\n" + "was not replaced and is as it was.");
                } catch (const std::exception& e) {
                    Trace(std::string("Not-replaced message failed: ") + e.what());
                }
            }
        });
        written = write();
    }
    return written;
}

Outcome SessionCommands::CopyItems(const std::vector<const TXPObject*>& items,
                                   const std::string& folder, std::vector<std::string>& paths) {
    UiBridge& ui = Ui();
    ui.SetBusy(true);
    ScopeExit notBusy([&] { ui.SetBusy(false); });
    paths.clear();
    if (Outcome there = ChangeToCurrentDir(); !there) {
        return there;
    }
    for (const TXPObject* item : items) {
        std::string path;
        if (Outcome got = FetchItem(*item, folder, path); !got) {
            return got;
        }
        paths.push_back(path);
    }
    return Outcome::Done();
}

Outcome SessionCommands::PutDroppedFile(const std::string& path, bool& replaceAll, int fileCount) {
    Outcome put = Guarded([&] { return PutOne(path, replaceAll, fileCount); });
    // A restore tells for itself how it went.
    return IsArchiveFile(path) ? put : Logged("sent " + path, put);
}

Outcome SessionCommands::PutOne(const std::string& path, bool& replaceAll, int fileCount) {
    // Nothing of a file that is not a readable object file of a possible size is sent; like a
    // refused file type, it ends the batch.
    if (std::string why = WhyNotSendable(path); !why.empty()) {
        Ui().ShowMessage("Cannot Send File", path + "\r\n\r\n" + why);
        return Outcome::Fail(Outcome::Kind::FileError, why);
    }
    if (IsArchiveFile(path)) {
        Outcome confirmed = ConfirmRestore(path);
        return confirmed ? RestoreFromFile(path) : confirmed;
    }
    std::string name = ItemNameForFile(path);
    session_.RequireUserName(name);  // refused before it is offered for replacing
    const TXPObject* existing = FindDirectory(CurrentPath).FindChild(name);
    if (existing != nullptr && existing->IsDirectory()) {
        if (Outcome replaced = ReplaceDirectory(*existing); !replaced) {
            return replaced;
        }
        existing = nullptr;
    }
    return session_.PutFile(name, path, "", existing != nullptr, replaceAll, fileCount);
}

Outcome SessionCommands::ReplaceDirectory(const TXPObject& directory) {
    std::string name = directory.Name;
    UiBridge& ui = Ui();
    ui.Beep();
    if (ui.AskReplaceDirectory(name, ItemsInside(directory)) != ModalResult::Yes) {
        return Outcome::Declined(name + ": not replaced: it is a directory holding " +
                                 std::to_string(ItemsInside(directory)) + " items");
    }
    if (Outcome gone = session_.Purge(name, true); !gone) {
        return gone;
    }
    return Outcome::Done();
}

Outcome SessionCommands::ConfirmRestore(const std::string& path) {
    return Guarded([&] {
        RequireArchiveFile(path, session_.State().series);
        UiBridge& ui = Ui();
        ui.Beep();
        std::string question = FileNameOf(path) + "\r\n\r\n" + "Is a Calculator Backup file.\r\n" +
                               "Continuing will erase the calculator's current contents.\r\n\r\n" +
                               "Continue the Restore operation?";
        if (!ui.ShowTextPrompt(question, "Erase Calculator?")) {
            return Outcome::Declined(FileNameOf(path) + ": not restored");
        }
        return Outcome::Done();
    });
}

std::vector<PutResult> SessionCommands::PutFiles(
    const std::vector<std::string>& paths,
    const std::function<void(const PutResult& result)>& progress, bool replace) {
    UiBridge& ui = Ui();
    std::vector<PutResult> results;
    bool archive = false;
    {
        ui.SetBusy(true);
        ScopeExit notBusy([&] { ui.SetBusy(false); });
        if (Outcome there = ChangeToCurrentDir(); !there) {
            results.push_back({paths.empty() ? "" : paths.front(), "", there});
            return results;
        }
        bool replaceAll = replace;
        for (const std::string& path : paths) {
            // Told once the listing has shown whether it was stored.
            int count = static_cast<int>(paths.size());
            results.push_back({path, ItemNameForFile(path),
                               Guarded([&] { return PutOne(path, replaceAll, count); })});
            if (progress) {
                progress(results.back());
            }
            archive = IsArchiveFile(path);
            if (!results.back().outcome.GoesOn() || archive) {  // nothing after an archive
                break;
            }
        }
    }
    // A text the calculator could not read as one object, or a put onto a name it would not
    // replace, leaves no variable of the type sent: only the listing tells.
    if (!archive && Reread()) {
        for (PutResult& result : results) {
            result.outcome = CheckStored(result, result.path);
        }
    }
    for (const PutResult& result : results) {
        if (!IsArchiveFile(result.path)) {
            Logged("sent " + result.path, result.outcome);
        }
    }
    RequestRefresh();
    return results;
}

Outcome SessionCommands::CheckStored(const PutResult& put, const std::string& sentPath) {
    if (!put.outcome) {
        return put.outcome;
    }
    const TXPObject* stored = FindDirectory(CurrentPath).FindChild(put.name);
    if (stored == nullptr) {
        return Outcome::Fail(Outcome::Kind::Refused,
                             "the calculator made no variable " + put.name + " of it");
    }
    // A text's type is the calculator's to tell; a binary file names its own.
    int sent = SentTypeCode(sentPath);
    if (sent != 0 && stored->TypeCode != sent) {
        return Outcome::Fail(Outcome::Kind::Refused, "the calculator kept its " + stored->TypeName +
                                                         " " + put.name + "; nothing was stored");
    }
    return put.outcome;
}

// --- whole calculator ---------------------------------------------------------------------

Outcome SessionCommands::WriteReceivedObject(const std::string& path, const Outcome& received,
                                             bool keepUnmeasured) {
    if (session_.Data.empty()) {
        return received ? Outcome::Fail(Outcome::Kind::LinkFailed, "") : received;
    }
    std::string object = session_.Data;
    bool measured = ObjectSize(object).success;
    if (!measured && keepUnmeasured && FileExists(path)) {
        // What cannot be measured may be damaged: it does not take the place of a file.
        return Outcome::Fail(
            Outcome::Kind::LinkFailed,
            "what arrived cannot be measured as a whole archive; " + path + " was not replaced");
    }
    const std::string& bytes = measured ? object : session_.Data;
    WriteUserFile(path, bytes);
    lastWrittenSize_ = bytes.size();
    if (!measured) {
        Ui().ShowMessage("Decompile Error", path + "\r\n" + "Cannot decompile this file.\r\n" +
                                                "Length has been left with padding.\r\n" +
                                                "File may still be ok.");
    }
    return received;
}

Outcome SessionCommands::BackupToFile(const std::string& path) {
    UiBridge& ui = Ui();
    ScopeExit cleanUp([&] {
        session_.Data.clear();
        ui.SetBusy(false);
    });
    calculatorDirectory_.clear();  // the archive program may leave the calculator elsewhere
    // Only what this backup receives may become the archive: bytes of an earlier get would
    // otherwise be written when the backup ends before its transfer.
    session_.Data.clear();
    Outcome written = Guarded([&] {
        RequireWritable(path);  // before the calculator sends a byte: nothing long is lost
        return WritingUserFile(path, [&] {
            Outcome received = session_.Backup(path, root_.GetSize());
            ui.SetBusy(false);
            return WriteReceivedObject(path, received, true);
        });
    });
    return Logged("backed up the calculator to " + path,
                  Told(written, "the backup was not written to " + path));
}

Outcome SessionCommands::RestoreFromFile(const std::string& path) {
    UiBridge& ui = Ui();
    Outcome restored = Guarded([&] {
        RequireArchiveFile(path, session_.State().series);
        ui.ProcessEvents();
        ui.SetBusy(false);
        calculatorDirectory_.clear();
        return session_.Restore(path);
    });
    if (restored) {
        ui.SetConnected(false);
        if (ui.ShowPrompt(kPromptRestored, "")) {
            if (OnReconnectRequested) {
                OnReconnectRequested();
            } else {
                ConnectToCalculator();
            }
        }
    } else if (ui.Connected()) {
        RequestRefresh();
    }
    return Logged("restored the calculator from " + path,
                  Told(restored, FileNameOf(path) + ": not restored"));
}

}  // namespace vaddex
