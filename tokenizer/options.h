// The options string of a call: "key=value" items separated by semicolons,
// keys compared without regard to case. Only v (verbosity) is known.
#pragma once

#include <string>

namespace kestrel::tokenizer
{

constexpr int kDefaultVerbosity = 3;

// The verbosity that the options ask for; the default when v is absent or
// its value is not a decimal integer that fits an int.
int VerbosityOption(const std::string &options);

} // namespace kestrel::tokenizer
