#pragma once
#include <QtCore>
#include <functional>
#include <memory>
#include <vector>
