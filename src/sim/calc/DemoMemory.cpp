#include "sim/calc/DemoMemory.h"

#include <string>
#include <vector>

#include "sim/calc/RplParser.h"

namespace zqsim {

namespace {

const std::string kPi = "\x87";
const std::string kArrow = "\x8D";

// The one object a literal text stands for.
ObjPtr Literal(const std::string& text) {
    return ParseCommandLine(text, '.').at(0);
}

}  // namespace

ObjPtr DemoHome() {
    ObjPtr deep = SimObject::MakeDirectory({
        {"Z", Literal("#FFh")},
        {"NOTE", Literal("\"Two levels down\"")},
    });
    ObjPtr maths = SimObject::MakeDirectory({
        {"R", Literal("2.")},
        {kPi, Literal("3.14159265359")},
        {"AREA", Literal("'" + kPi + "*R^2'")},
        {"DEEP", deep},
        {"EMPTY", SimObject::MakeDirectory({})},
    });
    ObjPtr games = SimObject::MakeDirectory({
        {"HISCORE", Literal("12345.")},
        {"PLAYER", Literal("\"ZQ\"")},
    });
    return SimObject::MakeDirectory({
        {"X", Literal("12.5")},
        {"N", Literal("-3")},
        {"GREETING", Literal("\"Hello, ZQ!\"")},
        {"LIST1", Literal("{ 1 2 3 \"three\" }")},
        {"SQR", Literal("\xAB DUP * \xBB")},
        {"EXPR", Literal("'X^2+1'")},
        {"A" + kArrow + "B", Literal("\"From A " + kArrow + " B, " + kPi + " on the way\"")},
        {"SPEED", Literal(":Speed:9600")},
        {"MATHS", maths},
        {"GAMES", games},
    });
}

}  // namespace zqsim
