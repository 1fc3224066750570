#include "log/log_manager_impl.h"

#include <cstring>
#include <new>

#include "log/file_log_writer.h"
#include "log/log_ref_count.h"
#include "log/null_log_objects.h"
#include "log/stdout_log_writer.h"

namespace {

void set_status(pmc_long* status, pmc_long value) {
    if (status != nullptr) *status = value;
}

bool same_text(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// The null writer of a type: what "a writer made without a target" is.
IPmcLogWriter* null_writer_of(const char* type) {
    if (same_text(type, PMC_LOG_WRITER_FILE)) return pmc_null_file_writer();
    return pmc_null_standard_writer();
}

}  // namespace

std::unique_ptr<CPmcLogManager> CPmcLogManager::create() {
    std::unique_ptr<CPmcLogManager> manager(new (std::nothrow) CPmcLogManager);
    if (!manager) return nullptr;
    manager->root_.reset(CPmcLogRootSession::create());
    bool complete = manager->root_ != nullptr;
    IPmcLogWriterFactory* factories[] = {pmc_new_stdout_log_writer_factory(),
                                         pmc_new_file_log_writer_factory()};
    for (IPmcLogWriterFactory* factory : factories) {
        if (factory == nullptr) {
            complete = false;
            continue;
        }
        if (manager->register_writer_factory(factory) != PMC_S_OK) complete = false;
        factory->release();
    }
    pmc_long status = PMC_E_FAIL;
    if (complete) {
        manager->stdout_writer_ =
            manager->create_writer(PMC_LOG_WRITER_STDOUT, PMC_LOG_WRITER_STDOUT, &status);
    }
    if (status != PMC_S_OK) return nullptr;
    return manager;
}

CPmcLogManager::~CPmcLogManager() {
    // Sessions before the root, writers and factories after.
    sessions_.clear();
    root_.reset();
    writers_.clear();
    factories_.clear();
}

IPmcLogSessionGroup* CPmcLogManager::root() { return root_.get(); }

IPmcLogSession* CPmcLogManager::lookup_session(const char* name) {
    if (same_text(name, root_->get_name())) return root_.get();
    for (const pmc::Owned<CPmcLogSession>& session : sessions_) {
        if (same_text(name, session->get_name())) return session.get();
    }
    return nullptr;
}

IPmcLogWriter* CPmcLogManager::lookup_writer(const char* target) {
    for (const pmc::Owned<IPmcLogWriter>& writer : writers_) {
        if (same_text(target, writer->get_target())) return writer.get();
    }
    return nullptr;
}

IPmcLogWriterFactory* CPmcLogManager::lookup_factory(const char* type) {
    for (const pmc::Owned<IPmcLogWriterFactory>& factory : factories_) {
        if (same_text(type, factory->get_type_name())) return factory.get();
    }
    return nullptr;
}

IPmcLogSession* CPmcLogManager::get_session(const char* name, IPmcLogWriter* writer,
                                            pmc_long* status) {
    if (name == nullptr) {
        set_status(status, PMC_E_INVALID_ARG);
        return pmc_null_log_session();
    }
    std::lock_guard<std::mutex> guard(lock_);
    IPmcLogSession* existing = lookup_session(name);
    if (existing != nullptr) {
        set_status(status, PMC_S_OK);
        return existing;
    }
    CPmcLogSession* session = CPmcLogSession::create(name);
    if (session == nullptr) {
        set_status(status, PMC_E_NO_MEMORY);
        return pmc_null_log_session();
    }
    pmc_long result = root_->add_session(session);
    if (result == PMC_S_OK && writer != nullptr) result = session->add_writer(writer);
    if (result == PMC_S_OK) result = pmc_keep_ref(sessions_, session);
    if (result != PMC_S_OK) {
        session->release();
        set_status(status, result);
        return pmc_null_log_session();
    }
    set_status(status, PMC_S_OK);
    return session;
}

IPmcLogSession* CPmcLogManager::find_session(const char* name, pmc_long* status) {
    if (name == nullptr) {
        set_status(status, PMC_E_INVALID_ARG);
        return pmc_null_log_session();
    }
    std::lock_guard<std::mutex> guard(lock_);
    IPmcLogSession* session = lookup_session(name);
    set_status(status, session != nullptr ? PMC_S_OK : PMC_E_NOT_FOUND);
    return session != nullptr ? session : pmc_null_log_session();
}

IPmcLogWriter* CPmcLogManager::create_writer(const char* type, const char* target,
                                             pmc_long* status) {
    if (type == nullptr) type = PMC_LOG_WRITER_STDOUT;
    std::lock_guard<std::mutex> guard(lock_);
    IPmcLogWriterFactory* factory = lookup_factory(type);
    if (factory == nullptr) {
        set_status(status, PMC_E_NOT_FOUND);
        return null_writer_of(type);
    }
    if (target == nullptr) {
        // A writer without a target: the type's null writer.
        return factory->create_writer(nullptr, status);
    }
    IPmcLogWriter* existing = lookup_writer(target);
    if (existing != nullptr) {
        set_status(status, PMC_S_OK);
        if (same_text(type, existing->get_type_name())) return existing;
        // The target is taken by a writer of another type.
        return null_writer_of(type);
    }
    pmc_long made = PMC_S_OK;
    IPmcLogWriter* writer = factory->create_writer(target, &made);
    if (made != PMC_S_OK) {
        set_status(status, made);
        return null_writer_of(type);
    }
    pmc_long kept = remember(writer);
    set_status(status, kept);
    return kept == PMC_S_OK ? writer : null_writer_of(type);
}

pmc_long CPmcLogManager::remember(IPmcLogWriter* writer) {
    const pmc_long status = pmc_keep_ref(writers_, writer);
    if (status != PMC_S_OK) writer->release();
    return status;
}

IPmcLogWriter* CPmcLogManager::find_writer(const char* target) {
    std::lock_guard<std::mutex> guard(lock_);
    IPmcLogWriter* writer = target != nullptr ? lookup_writer(target) : nullptr;
    return writer != nullptr ? writer : stdout_writer_;
}

pmc_long CPmcLogManager::register_writer_factory(IPmcLogWriterFactory* factory) {
    if (factory == nullptr) return PMC_E_INVALID_ARG;
    std::lock_guard<std::mutex> guard(lock_);
    for (pmc::Owned<IPmcLogWriterFactory>& slot : factories_) {
        if (same_text(slot->get_type_name(), factory->get_type_name())) {
            factory->add_ref();
            slot.reset(factory);
            return PMC_S_OK;
        }
    }
    const pmc_long status = pmc_keep_ref(factories_, factory);
    if (status == PMC_S_OK) factory->add_ref();
    return status;
}

pmc_long CPmcLogManager::configure(pmc_ulong mask, pmc_ulong flags, IPmcLogWriter* writer) {
    std::lock_guard<std::mutex> guard(lock_);
    // Writers first and the mask last, as a new session gets them.
    auto apply = [&](auto* session) -> pmc_long {
        session->clear_writers();
        session->set_line_flags(flags);
        pmc_long status = writer != nullptr ? session->add_writer(writer) : PMC_S_OK;
        session->set_level_mask(status == PMC_S_OK ? mask : 0);
        return status;
    };
    pmc_long result = apply(root_.get());
    for (const pmc::Owned<CPmcLogSession>& session : sessions_) {
        pmc_long status = apply(session.get());
        if (status != PMC_S_OK) result = status;
    }
    return result;
}

namespace {

std::mutex g_manager_lock;
std::unique_ptr<CPmcLogManager> g_manager;
bool g_manager_gone = false;

// Destroys the manager at exit; constructed with it, so it runs before the
// destructors of anything made earlier, which may still log through their
// own counted references to sessions.
struct ManagerReaper {
    ~ManagerReaper() {
        std::lock_guard<std::mutex> guard(g_manager_lock);
        g_manager.reset();
        g_manager_gone = true;
    }
};

}  // namespace

CPmcLogManager* pmc_log_manager_impl() {
    std::lock_guard<std::mutex> guard(g_manager_lock);
    if (!g_manager && !g_manager_gone) {
        g_manager = CPmcLogManager::create();
        if (g_manager) {
            static ManagerReaper reaper;
        }
    }
    return g_manager.get();
}

IPmcLogManager* pmc_log_manager() { return pmc_log_manager_impl(); }
