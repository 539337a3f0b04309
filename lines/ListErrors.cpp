#include "lines/ListErrors.h"

EListError::EListError() : std::runtime_error("インデックスがリストの範囲を超えています") {}
