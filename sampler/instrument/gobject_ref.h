// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An owned reference to a GObject (libinstpatch's SoundFont objects): the
// reference is dropped when the owner goes, on every way out.

#include <glib-object.h>

#include <memory>

namespace ntr::instrument {

struct Unref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using Ref = std::unique_ptr<T, Unref>;

}  // namespace ntr::instrument
