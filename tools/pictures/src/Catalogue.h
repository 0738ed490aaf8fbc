#pragma once

#include "Figure.h"
#include "Output.h"

#include <vector>

// Every picture the generator makes, by area.
namespace pic {

struct Context {
    PoseTable poses;
    Outfit outfit;
    int supersample = 3;
};

void addStartJobs(std::vector<Job>& jobs, const Context& ctx);
void addAtmenJobs(std::vector<Job>& jobs, const Context& ctx);
void addEntspJobs(std::vector<Job>& jobs, const Context& ctx);
void addYogaJobs(std::vector<Job>& jobs, const Context& ctx);
void addAugenJobs(std::vector<Job>& jobs, const Context& ctx);
void addIconJobs(std::vector<Job>& jobs, const Context& ctx);
void addDesignJobs(std::vector<Job>& jobs, const Context& ctx);
// The status icon's pictures (desktop/status).
void addStatusJobs(std::vector<Job>& jobs, const Context& ctx);

} // namespace pic
