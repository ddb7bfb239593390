#pragma once

#include <string>

// Shows `summary` and `body` as a desktop notification through notify-send,
// where it is installed; silent where it is not or fails. Nothing waits on
// it for long.
void ShowNotification(const std::string& summary, const std::string& body);
