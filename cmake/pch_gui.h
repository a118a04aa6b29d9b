#pragma once
#include <QtCore>
#include <QtGui>
#include <QtWidgets>
#include <functional>
#include <memory>
#include <vector>
