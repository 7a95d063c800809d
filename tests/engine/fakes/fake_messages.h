// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A message sink that keeps every message instead of showing it.

#include <functional>
#include <string>
#include <vector>

#include "engine/ports.h"

namespace ntr::fakes {

struct ShownMessage {
  std::string title;
  std::string text;
  MessageIcon icon;
};

class FakeMessages : public MessagePort {
 public:
  void ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) override {
    shown.push_back({title, text, icon});
    if (onShow) onShow(shown.back());
  }
  std::vector<ShownMessage> shown;
  std::function<void(const ShownMessage&)> onShow;
};

}  // namespace ntr::fakes
