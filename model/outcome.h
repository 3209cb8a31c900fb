#pragma once

#include <QString>

#include <optional>
#include <utility>

// What an operation that can fail gives back: its value, or why there is
// none, in words the caller shows as they are. The one way an error comes
// back across the layers; an operation that gives nothing else returns the
// error's QString alone, empty when it worked. A failure with an empty error
// has nothing to say: nothing was asked for, or the user stopped it.
template <typename Value> struct Outcome
{
    std::optional<Value> value;
    QString error;

    Outcome(Value made) : value(std::move(made)) {}
    static Outcome failed(QString why)
    {
        Outcome outcome;
        outcome.error = std::move(why);
        return outcome;
    }

    explicit operator bool() const { return value.has_value(); }
    // Asking a failed outcome for its value throws std::bad_optional_access.
    const Value &operator*() const { return value.value(); }
    Value &operator*() { return value.value(); }
    const Value *operator->() const { return &value.value(); }
    Value *operator->() { return &value.value(); }

private:
    Outcome() = default;
};
