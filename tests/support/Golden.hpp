#pragma once

#include <string>
#include <utility>
#include <vector>

namespace stowbar::test {

// Expects `actual` to equal the file tests/golden/`name`, after every `value` in `actual` was
// replaced by its `placeholder` (text that differs from run to run, such as a temporary home).
// Run with STOWBAR_UPDATE_GOLDEN=1 in the environment to rewrite the file from `actual` instead,
// after a change of output that was meant; the diff then shows what changed.
void expectGolden(const std::string& name, std::string actual,
                  const std::vector<std::pair<std::string, std::string>>& placeholders = {});

}  // namespace stowbar::test
