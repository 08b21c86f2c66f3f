#include "samples/sample.h"

namespace kestrel::samples
{

bool RegisterSample(const Sample &sample)
{
    Samples().push_back(sample);
    return true;
}

std::vector<Sample> &Samples()
{
    static std::vector<Sample> samples;
    return samples;
}

} // namespace kestrel::samples
