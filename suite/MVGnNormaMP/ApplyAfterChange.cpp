#include "ApplyAfterChange.h"

#include "SClientDataSet.h"

namespace tavrel {

namespace {

struct ApplyHook
{
    SClientDataSet::Event previous;

    void operator()(SClientDataSet& ds) const
    {
        if (previous)
            previous(ds);
        ds.applyUpdates();
    }
};

void wrap(SClientDataSet::Event& event)
{
    if (!event.target<ApplyHook>())
        event = ApplyHook{event};
}

} // namespace

void ApplyAfterChange::attach(SClientDataSet& dataSet)
{
    wrap(dataSet.AfterPost);
    wrap(dataSet.AfterDelete);
}

bool ApplyAfterChange::attached(const SClientDataSet& dataSet)
{
    return dataSet.AfterPost.target<ApplyHook>() && dataSet.AfterDelete.target<ApplyHook>();
}

} // namespace tavrel
