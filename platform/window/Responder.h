#pragma once

// Menu commands travel as action names ("copy:", "toggleToolbarShown:") to the first object that
// responds to them, as they did in the original toolkit's responder chain.

#include <string>

namespace glimmo {

class Responder {
public:
    virtual ~Responder() = default;
    // Whether this object implements the action.
    virtual bool respondsTo(const std::string& action) const;
    // Runs the action; returns false when this object does not implement it.
    virtual bool perform(const std::string& action);
    // Another object that should receive an action this one does not implement (none by default).
    virtual Responder* supplementalTargetForAction(const std::string& action, const void* sender);
};

// The target of `action` sent to `target` (or nothing): `target` itself when it responds, else its
// supplemental target when that responds.
Responder* targetForAction(const std::string& action, Responder* target, const void* sender);

} // namespace glimmo
