// How the operations every front end runs end: done, declined, cancelled or failed, with the
// message, told by the session itself rather than read off the bridge.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "session/PromptTexts.h"
#include "session/SessionBTestSupport.h"
#include "session/SessionCommands.h"

namespace vaddex::test {
namespace {

using Kind = Outcome::Kind;

class SessionOutcomeFixture {
public:
    SessionOutcomeFixture() : sim(Unconnected()), commands(sim.Session(), sim.Root()) {
        commands.SelectedPort = sim.PortName();
        EXPECT_TRUE(sim.StoreAt("HOME BIG", PackedString(PatternText(16000))));
        commands.ConnectToCalculator();
    }

    static SimFixtureOptions Unconnected() {
        SimFixtureOptions options = RoomyCalculator();
        options.connect = false;
        return options;
    }

    // An item of HOME, as listed or (for names the listing lacks) made up.
    const TXPObject& Item(const std::string& name) {
        if (const TXPObject* listed = sim.Root().FindChild(name)) {
            return *listed;
        }
        made_.push_back(std::make_unique<TXPObject>(name, 32, 10, &sim.Root()));
        return *made_.back();
    }

    Outcome Get(const std::string& name) {
        return commands.GetItemTo(Item(name), sim.Files().File("got.zq"));
    }

    Outcome Put(const std::string& file, const std::string& bytes) {
        std::string path = sim.Files().File(file);
        PutFileBytes(path, bytes);
        bool replaceAll = false;
        return commands.PutDroppedFile(path, replaceAll, 1);
    }

    std::string Object(const std::string& name) {
        return "ZQZQK8-C" + sim.FindObject("HOME " + name).value_or("");
    }

    SimFixture sim;
    SessionCommands commands;

private:
    std::vector<std::unique_ptr<TXPObject>> made_;
};

struct OutcomeRow {
    const char* behaviour;
    std::function<Outcome(SessionOutcomeFixture& f)> run;
    Kind kind;
    const char* message;  // null: the message names a file of the fixture (tested apart)
};

void PrintTo(const OutcomeRow& row, std::ostream* out) {
    *out << row.behaviour;
}

class SessionOutcomeTest : public ::testing::TestWithParam<OutcomeRow> {
protected:
    SessionOutcomeFixture f;
};

TEST_P(SessionOutcomeTest, OperationTellsHowItEnded) {
    const OutcomeRow& row = GetParam();
    Outcome outcome = row.run(f);
    EXPECT_EQ(outcome.kind, row.kind);
    if (row.message != nullptr) {
        EXPECT_EQ(outcome.message, row.message);
    }
    EXPECT_EQ(static_cast<bool>(outcome), row.kind == Kind::Done);
}

const OutcomeRow kRows[] = {
    {"get_of_a_listed_variable_is_done", [](SessionOutcomeFixture& f) { return f.Get("X"); },
     Kind::Done, ""},
    {"get_with_improper_name_answered_no_is_declined",
     [](SessionOutcomeFixture& f) {
         f.sim.Ui().QueuePromptAnswer(false);
         return f.Get("2X");
     },
     Kind::Declined, "2X: not copied"},
    {"get_cancelled_in_the_progress_window_is_cancelled",
     [](SessionOutcomeFixture& f) {
         f.sim.Ui().CancelWhenReportPasses(4096);
         return f.Get("BIG");
     },
     Kind::Cancelled, "Canceled by user"},
    {"get_of_a_variable_the_calculator_lacks_failed",
     [](SessionOutcomeFixture& f) { return f.Get("NOSUCH"); }, Kind::LinkFailed,
     "NOSUCH: not copied"},
    {"put_of_a_new_variable_is_done",
     [](SessionOutcomeFixture& f) { return f.Put("NEW.zq", f.Object("X")); }, Kind::Done, ""},
    {"put_over_a_variable_answered_no_is_declined",
     [](SessionOutcomeFixture& f) {
         f.sim.Ui().QueueReplaceAnswer(ModalResult::No);
         return f.Put("N.zq", f.Object("X"));
     },
     Kind::Declined, "N: not replaced"},
    {"put_over_a_variable_answered_cancel_is_cancelled",
     [](SessionOutcomeFixture& f) {
         f.sim.Ui().QueueReplaceAnswer(ModalResult::Cancel);
         return f.Put("N.zq", f.Object("X"));
     },
     Kind::Cancelled, "Canceled by user"},
    {"put_of_a_folder_failed",
     [](SessionOutcomeFixture& f) {
         bool replaceAll = false;
         return f.commands.PutDroppedFile(f.sim.Files().Path(), replaceAll, 1);
     },
     Kind::FileError, "is a folder. Only files can be sent to the calculator."},
    {"mkdir_with_improper_name_answered_no_is_declined",
     [](SessionOutcomeFixture& f) {
         f.sim.Ui().QueuePromptAnswer(false);
         return f.commands.MakeDirectory("1BAD");
     },
     Kind::Declined, "1BAD: not made (its improper name was declined)"},
    {"rename_with_improper_name_answered_no_is_declined",
     [](SessionOutcomeFixture& f) {
         f.sim.Ui().QueuePromptAnswer(false);
         return f.commands.RenameItem("X", "2Y", false);
     },
     Kind::Declined, "X: not renamed"},
    {"rename_onto_a_taken_name_is_refused_as_existing",
     [](SessionOutcomeFixture& f) { return f.commands.RenameItem("X", "N", false); }, Kind::Exists,
     "N: already exists in HOME"},
    {"rename_that_may_replace_still_keeps_a_directory",
     [](SessionOutcomeFixture& f) { return f.commands.RenameItem("X", "GAMES", false, true); },
     Kind::Exists, "GAMES: already exists in HOME"},
    {"mkdir_of_a_taken_name_is_refused_as_existing",
     [](SessionOutcomeFixture& f) { return f.commands.MakeDirectory("GAMES"); }, Kind::Exists,
     "GAMES: already exists in HOME"},
    {"put_onto_a_directory_nobody_agrees_to_replace_is_declined",
     [](SessionOutcomeFixture& f) { return f.Put("GAMES.zq", f.Object("X")); }, Kind::Declined,
     "GAMES: not replaced: it is a directory holding 2 items"},
    {"get_with_a_name_that_breaks_the_command_line_is_a_bad_name",
     [](SessionOutcomeFixture& f) {
         f.sim.State().textMode = true;
         return f.Get("A'B");
     },
     Kind::BadName, nullptr},
    {"upload_with_its_prompt_answered_cancel_is_declined",
     [](SessionOutcomeFixture& f) {
         f.sim.Ui().QueuePromptAnswer(false);
         return f.commands.UploadFile(f.sim.Files().File("up.zq"));
     },
     Kind::Declined, nullptr},
    {"xrecv_whose_prompt_was_closed_is_cancelled",
     [](SessionOutcomeFixture& f) {
         std::string path = f.sim.Files().File("x.zq");
         PutFileBytes(path, f.Object("X"));
         f.sim.Ui().CancelWhenPromptShown(kPromptXRecvBefore);
         return f.commands.ManualSend(path, kPromptXRecvBefore, kPromptXRecvAfter);
     },
     Kind::Cancelled, "Canceled by user"},
};

INSTANTIATE_TEST_SUITE_P(Rows, SessionOutcomeTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.behaviour); });

// The upload row's message names the file.
TEST(SessionOutcomeMessages, UploadNotDoneSaysNothingWasReceived) {
    SessionOutcomeFixture f;
    f.sim.Ui().QueuePromptAnswer(false);
    std::string path = f.sim.Files().File("up.zq");
    EXPECT_EQ(f.commands.UploadFile(path).message, "nothing was received into " + path);
}

// A file not replaced is passed over and the batch goes on; a Cancel ends it there.
TEST(SessionOutcomeBatch, DeclinedFileIsPassedOverAndCancelledOneEndsTheBatch) {
    struct Row {
        ModalResult answer;
        bool all;
        std::vector<Kind> heard;
    } rows[] = {{ModalResult::No, true, {Kind::Declined, Kind::Done}},
                {ModalResult::Cancel, false, {Kind::Cancelled}}};
    for (const Row& row : rows) {
        SessionOutcomeFixture f;
        std::string existing = f.sim.Files().File("N.zq");
        std::string fresh = f.sim.Files().File("FRESH.zq");
        PutFileBytes(existing, f.Object("X"));
        PutFileBytes(fresh, f.Object("X"));
        f.sim.Ui().QueueReplaceAnswer(row.answer);
        std::vector<Kind> heard;
        std::vector<PutResult> results = f.commands.PutFiles(
            {existing, fresh}, [&](const PutResult& put) { heard.push_back(put.outcome.kind); });
        EXPECT_EQ(results.size() == 2 && results.back().outcome.IsDone(), row.all);
        EXPECT_EQ(heard, row.heard);
        EXPECT_EQ(f.sim.FindObject("HOME FRESH").has_value(), row.all);
    }
}

TEST(SessionOutcomeText, TheCancelTextIsOneConstant) {
    EXPECT_STREQ(kCanceledByUserText, "Canceled by user");
    EXPECT_EQ(Outcome::Cancelled().message, kCanceledByUserText);
    EXPECT_EQ(Outcome::Cancelled().Saying("other").message, kCanceledByUserText);
    EXPECT_EQ(Outcome::Fail(Kind::Refused, "a").Saying("b").message, "b");
    EXPECT_TRUE(Outcome::Declined("").GoesOn());
    EXPECT_FALSE(Outcome::Fail(Kind::Refused, "").GoesOn());
}

}  // namespace
}  // namespace vaddex::test
