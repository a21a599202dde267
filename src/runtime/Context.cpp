#include "runtime/Context.h"

#include <algorithm>
#include <vector>

namespace runtime {

namespace {
Context& ProgramContext() {
    static Context context;
    return context;
}

// A scope is in force on the thread that made it; other threads see the program's context.
std::vector<Context*>& Scopes() {
    thread_local std::vector<Context*> scopes;
    return scopes;
}
}  // namespace

Context& CurrentContext() {
    return Scopes().empty() ? ProgramContext() : *Scopes().back();
}

ScopedContext::ScopedContext() : context_(CurrentContext()) {
    Scopes().push_back(&context_);
}

ScopedContext::~ScopedContext() {
    auto& scopes = Scopes();
    scopes.erase(std::find(scopes.begin(), scopes.end(), &context_));
}

}  // namespace runtime
