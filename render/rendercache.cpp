#include "rendercache.h"

#include "rendercachetables.h"

RenderCache::RenderCache() : m_tables(std::make_unique<Tables>()) {}

RenderCache::~RenderCache() = default;

RenderCache::RenderCache(RenderCache &&other) : RenderCache()
{
    m_tables.swap(other.m_tables);
}

RenderCache &RenderCache::operator=(RenderCache &&other) noexcept
{
    m_tables.swap(other.m_tables);
    return *this;
}

void RenderCache::clear()
{
    *m_tables = Tables();
}
