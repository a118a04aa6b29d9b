#pragma once

#include <QString>

#include <functional>

namespace quillory::test {

// The temporary folder that stands in for the user's home during this test run.
QString homeFolder();

// A path inside the folder of shared test fixtures.
QString fixturePath(const QString& name);

// Runs the Qt event loop until `condition` holds or `timeoutMs` passes; answers whether it held.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

} // namespace quillory::test
