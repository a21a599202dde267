#include "runtime/Context.h"

#include <algorithm>
#include <vector>

namespace runtime {

namespace {
Context& ProgramContext() {
    static Context context;
    return context;
}

std::vector<Context*>& Scopes() {
    static std::vector<Context*> scopes;
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
