#include "sim/CalculatorModel.h"

namespace zqsim {

// Out of line so that the interface's type information lives in one object file.
CalculatorModel::~CalculatorModel() = default;

}  // namespace zqsim
