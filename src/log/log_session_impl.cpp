#include "log/log_session_impl.h"

#include <algorithm>
#include <new>

#include "log/log_iid.h"
#include "log/log_line.h"
#include "log/log_manager.h"

namespace {

constexpr std::size_t PMC_LOG_INDENT_WIDTH = 4;

}  // namespace

template <class Interface>
CPmcLogSessionImpl<Interface>::CPmcLogSessionImpl(const std::string& name) : name_(name) {}

template <class Interface>
CPmcLogSessionImpl<Interface>::~CPmcLogSessionImpl() = default;

template <class Interface>
pmc_long CPmcLogSessionImpl<Interface>::query_interface(const char* iid, void** out) {
    return pmc_log_query(static_cast<Interface*>(this), iid, out,
                         [this](const char* id) { return accepts(id); });
}

template <class Interface>
pmc_ulong CPmcLogSessionImpl<Interface>::add_ref() {
    return refs_.add();
}

template <class Interface>
pmc_ulong CPmcLogSessionImpl<Interface>::release() {
    pmc_ulong left = refs_.drop();
    if (left == 0) delete this;
    return left;
}

template <class Interface>
const char* CPmcLogSessionImpl<Interface>::get_name() {
    return name_.c_str();
}

template <class Interface>
pmc_long CPmcLogSessionImpl<Interface>::add_writer(IPmcLogWriter* writer) {
    if (writer == nullptr) return PMC_E_INVALID_ARG;
    std::lock_guard<std::mutex> guard(lock_);
    // A writer the root already gave us would print every line twice.
    for (const pmc::Owned<IPmcLogWriter>& held : writers_) {
        if (held.get() == writer) return PMC_S_OK;
    }
    const pmc_long status = pmc_keep_ref(writers_, writer);
    if (status == PMC_S_OK) writer->add_ref();
    return status;
}

template <class Interface>
void CPmcLogSessionImpl<Interface>::clear_writers() {
    // Released after the lock: a writer's end may log.
    PmcRefList<IPmcLogWriter> dropped;
    std::lock_guard<std::mutex> guard(lock_);
    dropped.swap(writers_);
}

template <class Interface>
PmcRefList<IPmcLogWriter> CPmcLogSessionImpl<Interface>::copy_writers() {
    std::lock_guard<std::mutex> guard(lock_);
    PmcRefList<IPmcLogWriter> copy;
    copy.reserve(writers_.size());
    for (const pmc::Owned<IPmcLogWriter>& writer : writers_) {
        writer->add_ref();
        copy.emplace_back(writer.get());
    }
    return copy;
}

template <class Interface>
pmc_long CPmcLogSessionImpl<Interface>::set_level_mask(pmc_ulong mask) {
    std::lock_guard<std::mutex> guard(lock_);
    mask_.store(mask, std::memory_order_relaxed);
    return PMC_S_OK;
}

template <class Interface>
pmc_ulong CPmcLogSessionImpl<Interface>::get_level_mask() {
    return mask_.load(std::memory_order_relaxed);
}

template <class Interface>
pmc_long CPmcLogSessionImpl<Interface>::set_indentation_depth(pmc_ulong depth) {
    // Text beyond the line bound would be cut anyway: never build more.
    std::size_t width = std::min<std::size_t>(std::size_t{depth} * PMC_LOG_INDENT_WIDTH,
                                              PMC_LOG_LINE_SIZE - 1);
    std::lock_guard<std::mutex> guard(lock_);
    try {
        indentation_.assign(width, ' ');
    } catch (const std::bad_alloc&) {
        return PMC_E_NO_MEMORY;
    }
    depth_ = depth;
    return PMC_S_OK;
}

template <class Interface>
pmc_ulong CPmcLogSessionImpl<Interface>::get_indentation_depth() {
    std::lock_guard<std::mutex> guard(lock_);
    return depth_;
}

template <class Interface>
pmc_long CPmcLogSessionImpl<Interface>::set_line_flags(pmc_ulong flags) {
    std::lock_guard<std::mutex> guard(lock_);
    flags_ = flags;
    return PMC_S_OK;
}

template <class Interface>
pmc_ulong CPmcLogSessionImpl<Interface>::get_line_flags() {
    std::lock_guard<std::mutex> guard(lock_);
    return flags_;
}

template <class Interface>
pmc_long CPmcLogSessionImpl<Interface>::set_radix(pmc_ulong radix) {
    if (radix != PMC_LOG_RADIX_DECIMAL && radix != PMC_LOG_RADIX_HEX) return PMC_E_INVALID_ARG;
    std::lock_guard<std::mutex> guard(lock_);
    radix_ = radix;
    return PMC_S_OK;
}

template <class Interface>
pmc_ulong CPmcLogSessionImpl<Interface>::get_radix() {
    std::lock_guard<std::mutex> guard(lock_);
    return radix_;
}

template <class Interface>
pmc_long CPmcLogSessionImpl<Interface>::reserved_operation() {
    return PMC_E_NOT_FOUND;
}

template <class Interface>
pmc_long CPmcLogSessionImpl<Interface>::write_line(pmc_long level, const char* format, ...) {
    if (!enabled(level)) return PMC_S_OK;
    va_list args;
    va_start(args, format);
    pmc_long status = write_line_v(level, format, args);
    va_end(args);
    return status;
}

template <class Interface>
pmc_long CPmcLogSessionImpl<Interface>::write_line_v(pmc_long level, const char* format,
                                                     va_list args) {
    // The unlocked test only skips work: the mask is tested again under the
    // lock, where it counts.
    if (!enabled(level)) return PMC_S_OK;
    std::lock_guard<std::mutex> guard(lock_);
    if (!enabled(level)) return PMC_S_OK;

    PmcLogLineLayout layout;
    layout.name = name_.c_str();
    layout.flags = flags_;
    layout.radix = radix_;
    layout.indentation = indentation_.c_str();
    char line[PMC_LOG_LINE_SIZE];
    const bool stamped = (flags_ & (PMC_LOG_FLAG_TIME | PMC_LOG_FLAG_PROCESS |
                                    PMC_LOG_FLAG_THREAD)) != 0;
    pmc_format_log_line(line, layout, stamped ? pmc_log_stamp_now() : PmcLogStamp{}, level,
                        format, args);

    pmc_long result = PMC_S_OK;
    for (const pmc::Owned<IPmcLogWriter>& writer : writers_) {
        pmc_long status = writer->write_line(line);
        if (status != PMC_S_OK) result = status;
    }
    return result;
}

template class CPmcLogSessionImpl<IPmcLogSession>;
template class CPmcLogSessionImpl<IPmcLogSessionGroup>;

CPmcLogSession* CPmcLogSession::create(const char* name) {
    if (name == nullptr) return nullptr;
    try {
        return new CPmcLogSession(name);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CPmcLogSession::accepts(const char* iid) const {
    return pmc_log_iid_is(iid, PMC_IID_LOG_OBJECT) || pmc_log_iid_is(iid, PMC_IID_LOG_WRITE) ||
           pmc_log_iid_is(iid, PMC_IID_LOG_SETTINGS);
}

CPmcLogRootSession* CPmcLogRootSession::create() {
    try {
        return new CPmcLogRootSession(PMC_LOG_ROOT_SESSION);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CPmcLogRootSession::accepts(const char* iid) const {
    return pmc_log_iid_is(iid, PMC_IID_LOG_OBJECT) || pmc_log_iid_is(iid, PMC_IID_LOG_SESSION) ||
           pmc_log_iid_is(iid, PMC_IID_LOG_SESSION_GROUP) ||
           pmc_log_iid_is(iid, PMC_IID_LOG_WRITE);
}

pmc_long CPmcLogRootSession::add_session(IPmcLogSession* session) {
    if (session == nullptr) return PMC_E_INVALID_ARG;
    // Read our settings first: the two session locks are never held together.
    pmc_ulong mask = get_level_mask();
    pmc_ulong flags = get_line_flags();
    pmc_ulong radix = get_radix();
    pmc_ulong depth = get_indentation_depth();
    PmcRefList<IPmcLogWriter> writers;
    try {
        writers = copy_writers();
    } catch (const std::bad_alloc&) {
        return PMC_E_NO_MEMORY;
    }
    pmc_long status = session->set_indentation_depth(depth);
    if (status == PMC_S_OK) session->set_line_flags(flags);
    if (status == PMC_S_OK) session->set_radix(radix);
    for (const pmc::Owned<IPmcLogWriter>& writer : writers) {
        if (status == PMC_S_OK) status = session->add_writer(writer.get());
    }
    // The mask last, so that no line goes out before the writers are in.
    if (status == PMC_S_OK) session->set_level_mask(mask);
    return status;
}
