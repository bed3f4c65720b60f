#include "sim/calc/PersonalityInfo.h"

#include "sim/calc/PrologTable.h"

namespace zqsim {

namespace {

constexpr const char* kCopyright = "Copyright ZQ 1993";

// The first series names its ROM revision after "Revision #"; the second series is told
// apart by "#1.1" (the K8) or its absence (the K7GII), and its revision is the header letter.
constexpr PersonalityInfo kK7{Personality::K7,
                              "K7",
                              'M',
                              "XSrvr K7 XModem Server 1.2",
                              "Version ZQ-K7 Revision #M",
                              kCopyright,
                              0x141E5,
                              kFirstSeriesRows};
constexpr PersonalityInfo kK8{
    Personality::K8,           "K8",       'R',     "ZQK8 XModem Server 1.1",
    "Version ZQ-K8 ROM #1.1R", kCopyright, 0x26067, kAllRows};
constexpr PersonalityInfo kK7GII{Personality::K7GII,
                                 "K8",
                                 'C',
                                 "ZQK7GII XModem Server 2.0",
                                 "Version ZQ-K7GII ROM #2.04C",
                                 kCopyright,
                                 0x26067,
                                 kAllRows};
constexpr PersonalityInfo kK8GPlus{
    Personality::K8GPlus,         "K8",       'X',     "ZQK8G+ XModem Server 2.2",
    "Version ZQ-K8G+ ROM #2.15X", kCopyright, 0x26067, kAllRows};

}  // namespace

const PersonalityInfo& InfoOf(Personality personality) {
    switch (personality) {
        case Personality::K7:
            return kK7;
        case Personality::K8:
            return kK8;
        case Personality::K7GII:
            return kK7GII;
        case Personality::K8GPlus:
            break;
    }
    return kK8GPlus;
}

}  // namespace zqsim
