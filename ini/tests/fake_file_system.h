// The in-memory file system under the name the sequencer's tests still use;
// it lives in the shared test support (common/tests/support/fakes.h).
#pragma once

#include "common/tests/support/fakes.h"

using FakeFileSystem = fake::FileSystem;
