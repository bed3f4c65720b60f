#pragma once

#include <string>

#include "session/HeadlessUiBridge.h"

namespace vaddex::fuzz {

// A front end that answers every question with no and shows nothing, for the harnesses that
// need a session.
class FuzzUi : public HeadlessUiBridge {
public:
    using HeadlessUiBridge::HeadlessUiBridge;

protected:
    bool AnswerPrompt(int, const std::string&, const std::string&) override { return false; }
    ModalResult AnswerReplace(const std::string&, int) override { return ModalResult::Cancel; }
    int AnswerWrongFile(const std::string&, const std::string&, bool) override {
        return static_cast<int>(ModalResult::Cancel);
    }
    void OnMessage(const std::string&, const std::string&) override {}
};

}  // namespace vaddex::fuzz
