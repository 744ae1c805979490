#pragma once

// Errors a call throws, for tests that check the message a refusal gives.

#include "ModuleError.h"

#include <QStringList>
#include <optional>

// The module error that `action` throws, if any.
template <class Action> std::optional<tavrel::ModuleError> thrownBy(Action&& action)
{
    try {
        action();
    } catch (const tavrel::ModuleError& error) {
        return error;
    }
    return std::nullopt;
}

// Whether an error was thrown and its message names every part; warns with the message
// when not, so a failing check shows what was said.
template <class Parts>
bool mentionsAll(const std::optional<tavrel::ModuleError>& error, const Parts& parts)
{
    if (!error) {
        qWarning("nothing was thrown");
        return false;
    }
    for (const auto& part : parts) {
        if (!error->message().contains(part)) {
            qWarning("%s", qPrintable(error->message()));
            return false;
        }
    }
    return true;
}

inline bool mentions(const std::optional<tavrel::ModuleError>& error,
                     std::initializer_list<QStringView> parts)
{
    return mentionsAll(error, parts);
}

inline bool mentions(const std::optional<tavrel::ModuleError>& error, const QStringList& parts)
{
    return mentionsAll(error, parts);
}
