#pragma once
// The notes the script window shows under a script: why a comparison after
// the run may still find differences.
#include <cstdint>
#include <string>
#include <vector>

#include "script/Script.h"

namespace wizard {

// The generator's sentences of what it left out, then one sentence for the
// objects the options kept and one for the AutoIncrement columns they
// skipped, each naming the databases by side for `Direction` (0: the script
// changes the destination). Empty when there is nothing to say.
[[nodiscard]] std::vector<std::string> ScriptNotes(const script::TScript& S, int32_t Direction);

}  // namespace wizard
