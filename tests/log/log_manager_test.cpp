#include "log/log_manager_impl.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <pmsnmp/owned.h>

#include "log/log_files.h"
#include "support/log_capture.h"
#include "log/null_log_objects.h"
#include "log/temp_dir.h"

namespace {

class LogManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager_ = CPmcLogManager::create();
        ASSERT_NE(manager_, nullptr);
    }

    std::unique_ptr<CPmcLogManager> manager_;
};

TEST_F(LogManagerTest, RootSessionIsAllAndFoundByName) {
    pmc_long status = PMC_E_FAIL;
    IPmcLogSession* root = manager_->find_session("All", &status);
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_EQ(root, manager_->root());
    EXPECT_EQ(manager_->get_session("All", nullptr, &status), root);
}

TEST_F(LogManagerTest, SessionsAreMadeOnceAndLookedUpCaseSensitively) {
    pmc_long status = PMC_E_FAIL;
    IPmcLogSession* snmp = manager_->get_session("snmp", nullptr, &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_STREQ(snmp->get_name(), "snmp");
    EXPECT_EQ(manager_->get_session("snmp", nullptr, &status), snmp);
    EXPECT_EQ(manager_->find_session("snmp", &status), snmp);
    EXPECT_EQ(status, PMC_S_OK);

    IPmcLogSession* upper = manager_->find_session("SNMP", &status);
    EXPECT_EQ(status, PMC_E_NOT_FOUND);
    EXPECT_EQ(upper, pmc_null_log_session());
    IPmcLogSession* made = manager_->get_session("SNMP", nullptr, &status);
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_NE(made, snmp);
}

TEST_F(LogManagerTest, MissingNamesAnswerTheNullSession) {
    pmc_long status = PMC_S_OK;
    EXPECT_EQ(manager_->get_session(nullptr, nullptr, &status), pmc_null_log_session());
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
    EXPECT_EQ(manager_->find_session(nullptr, &status), pmc_null_log_session());
    EXPECT_EQ(status, PMC_E_INVALID_ARG);
}

TEST_F(LogManagerTest, NewSessionsStartSilentFromTheRoot) {
    LogCapture capture;
    pmc_long status = PMC_E_FAIL;
    IPmcLogSession* session = manager_->get_session("quiet", &capture, &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(session->get_level_mask(), 0u);
    EXPECT_EQ(session->get_line_flags(), 7u);
    for (pmc_long level : {PMC_LOG_ERROR, PMC_LOG_WARN, PMC_LOG_INFO, PMC_LOG_DEBUG,
                           PMC_LOG_TRACE}) {
        session->write_line(level, "silent");
    }
    EXPECT_TRUE(capture.lines().empty());
    manager_.reset();  // releases the session's hold on capture
    EXPECT_EQ(capture.refs(), 1u);
}

TEST_F(LogManagerTest, NewSessionTakesRootSettingsAndItsOwnWriter) {
    LogCapture root_writer;
    LogCapture own_writer;
    manager_->root()->add_writer(&root_writer);
    manager_->root()->set_level_mask(PMC_LOG_ERROR);
    manager_->root()->set_radix(16);
    pmc_long status = PMC_E_FAIL;
    IPmcLogSession* session = manager_->get_session("inherit", &own_writer, &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_EQ(session->get_radix(), 16u);
    session->write_line(PMC_LOG_ERROR, "both");
    session->write_line(PMC_LOG_INFO, "neither");
    EXPECT_EQ(root_writer.lines().size(), 1u);
    EXPECT_EQ(own_writer.lines().size(), 1u);
    manager_.reset();
}

TEST_F(LogManagerTest, WriterGivenAgainWithTheSessionPrintsOnce) {
    LogCapture writer;
    manager_->root()->add_writer(&writer);
    manager_->root()->set_level_mask(PMC_LOG_ALL);
    pmc_long status = PMC_E_FAIL;
    IPmcLogSession* session = manager_->get_session("twice", &writer, &status);
    ASSERT_EQ(status, PMC_S_OK);
    session->write_line(PMC_LOG_INFO, "once");
    EXPECT_EQ(writer.lines().size(), 1u);
    manager_.reset();
    EXPECT_EQ(writer.refs(), 1u);
}

TEST_F(LogManagerTest, WritersAreSharedByTargetAndType) {
    pmc_long status = PMC_E_FAIL;
    IPmcLogWriter* file = manager_->create_writer("file", "trace", &status);
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_STREQ(file->get_type_name(), "file");
    EXPECT_STREQ(file->get_target(), "trace");
    EXPECT_EQ(manager_->create_writer("file", "trace", &status), file);
    EXPECT_EQ(manager_->find_writer("trace"), file);

    // Same target, other type: a writer of that type without a target.
    EXPECT_EQ(manager_->create_writer("stdout", "trace", &status), pmc_null_standard_writer());

    // No type means "stdout".
    IPmcLogWriter* console = manager_->create_writer(nullptr, "console", &status);
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_STREQ(console->get_type_name(), "stdout");
    EXPECT_STREQ(console->get_target(), "console");
}

TEST_F(LogManagerTest, WritersWithoutTargetAreTheNullWriters) {
    pmc_long status = PMC_S_OK;
    EXPECT_EQ(manager_->create_writer("file", nullptr, &status), pmc_null_file_writer());
    EXPECT_EQ(manager_->create_writer("stdout", nullptr, &status), pmc_null_standard_writer());
    EXPECT_EQ(manager_->create_writer("file", "", &status), pmc_null_file_writer());
    EXPECT_EQ(manager_->create_writer("nosuchtype", "x", &status), pmc_null_standard_writer());
    EXPECT_EQ(status, PMC_E_NOT_FOUND);
}

TEST_F(LogManagerTest, UnknownWriterTargetFallsBackToStdout) {
    IPmcLogWriter* fallback = manager_->find_writer("never-made");
    EXPECT_STREQ(fallback->get_type_name(), "stdout");
    EXPECT_STREQ(fallback->get_target(), "stdout");
    EXPECT_EQ(manager_->find_writer(nullptr), fallback);
}

// A factory of our own replaces the built-in one of the same type.
class CaptureFactory final : public IPmcLogWriterFactory {
public:
    pmc_long query_interface(const char*, void** out) override {
        *out = nullptr;
        return PMC_E_NO_INTERFACE;
    }
    pmc_ulong add_ref() override { return ++refs; }
    pmc_ulong release() override { return --refs; }
    const char* get_type_name() override { return "stdout"; }
    IPmcLogWriter* create_writer(const char*, pmc_long* status) override {
        *status = PMC_S_OK;
        writer.add_ref();
        return &writer;
    }
    LogCapture writer;
    pmc_ulong refs = 1;
};

TEST_F(LogManagerTest, RegisteredFactoryReplacesTheBuiltIn) {
    CaptureFactory factory;
    EXPECT_EQ(manager_->register_writer_factory(&factory), PMC_S_OK);
    EXPECT_EQ(factory.refs, 2u);
    pmc_long status = PMC_E_FAIL;
    EXPECT_EQ(manager_->create_writer("stdout", "mine", &status), &factory.writer);
    EXPECT_EQ(manager_->register_writer_factory(nullptr), PMC_E_INVALID_ARG);
    manager_.reset();
    EXPECT_EQ(factory.refs, 1u);
    EXPECT_EQ(factory.writer.refs(), 1u);
}

TEST(LogNullObjects, DoNothingAndSucceed) {
    IPmcLogSession* session = pmc_null_log_session();
    EXPECT_STREQ(session->get_name(), "null_session");
    EXPECT_EQ(session->set_level_mask(PMC_LOG_ALL), PMC_S_OK);
    EXPECT_EQ(session->get_level_mask(), 0u);
    EXPECT_EQ(session->set_radix(12), PMC_S_OK);
    EXPECT_EQ(session->write_line(PMC_LOG_ERROR, "nothing"), PMC_S_OK);
    EXPECT_EQ(session->reserved_operation(), PMC_E_NOT_FOUND);
    session->release();
    EXPECT_STREQ(session->get_name(), "null_session");  // never freed

    EXPECT_STREQ(pmc_null_standard_writer()->get_target(), "null_standard");
    EXPECT_STREQ(pmc_null_standard_writer()->get_type_name(), "stdout");
    EXPECT_STREQ(pmc_null_file_writer()->get_target(), "null_file");
    EXPECT_STREQ(pmc_null_file_writer()->get_type_name(), "file");
    EXPECT_EQ(pmc_null_file_writer()->write_line("nothing"), PMC_S_OK);
    EXPECT_EQ(pmc_null_file_writer()->set_path(nullptr), PMC_S_OK);
}

// Which object answers which identifier.
TEST_F(LogManagerTest, QueryInterfaceTable) {
    pmc_long status = PMC_E_FAIL;
    IPmcLogObject* ordinary = manager_->get_session("table", nullptr, &status);
    IPmcLogObject* root = manager_->root();
    IPmcLogObject* stdout_writer = manager_->create_writer("stdout", "t-out", &status);
    IPmcLogObject* file_writer = manager_->create_writer("file", "t-file", &status);
    struct Object {
        const char* name;
        IPmcLogObject* object;
    } objects[] = {
        {"ordinary", ordinary},
        {"root", root},
        {"null_session", pmc_null_log_session()},
        {"stdout", stdout_writer},
        {"file", file_writer},
        {"null_standard", pmc_null_standard_writer()},
        {"null_file", pmc_null_file_writer()},
    };
    // Columns in the order of objects[].
    struct Row {
        const char* iid;
        bool answers[7];
    } rows[] = {
        {PMC_IID_LOG_OBJECT, {true, true, true, true, true, true, true}},
        {PMC_IID_LOG_LINE_WRITER, {false, false, false, true, true, true, true}},
        {PMC_IID_LOG_FILE_SETTINGS, {false, false, false, false, true, false, true}},
        {PMC_IID_LOG_SESSION, {false, true, true, false, false, false, false}},
        {PMC_IID_LOG_SESSION_GROUP, {false, true, false, false, false, false, false}},
        {PMC_IID_LOG_WRITE, {true, true, true, false, false, false, false}},
        {PMC_IID_LOG_SETTINGS, {true, false, false, false, false, false, false}},
        {"00000000-0000-0000-0000-000000000000", {false, false, false, false, false, false, false}},
        {"DA74598A-9178-43C9-86C6-CEE9988F1B7F", {false, false, false, false, false, false, false}},
    };
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < 7; ++i) {
            void* out = reinterpret_cast<void*>(1);
            pmc_long answer = objects[i].object->query_interface(row.iid, &out);
            if (row.answers[i]) {
                EXPECT_EQ(answer, PMC_S_OK) << objects[i].name << " " << row.iid;
                EXPECT_EQ(out, static_cast<void*>(objects[i].object));
                if (out != nullptr) static_cast<IPmcLogObject*>(out)->release();
            } else {
                EXPECT_EQ(answer, PMC_E_NO_INTERFACE) << objects[i].name << " " << row.iid;
                EXPECT_EQ(out, nullptr);
            }
        }
    }
    for (const Object& object : objects) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(object.object->query_interface(nullptr, &out), PMC_E_INVALID_ARG) << object.name;
        EXPECT_EQ(out, nullptr) << object.name;
        EXPECT_EQ(object.object->query_interface(PMC_IID_LOG_OBJECT, nullptr), PMC_E_INVALID_ARG)
            << object.name;
    }
}

TEST_F(LogManagerTest, SessionGroupAddsSessionsThroughItsInterface) {
    void* out = nullptr;
    ASSERT_EQ(manager_->root()->query_interface(PMC_IID_LOG_SESSION_GROUP, &out), PMC_S_OK);
    pmc::Owned<IPmcLogSessionGroup> group(static_cast<IPmcLogSessionGroup*>(out));
    group->set_line_flags(PMC_LOG_FLAG_TIME);
    pmc::Owned<CPmcLogSession> session(CPmcLogSession::create("grouped"));
    EXPECT_EQ(group->add_session(session.get()), PMC_S_OK);
    EXPECT_EQ(session->get_line_flags(), PMC_LOG_FLAG_TIME);
}

TEST_F(LogManagerTest, ConfigureReachesExistingAndLaterSessions) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    std::string path = dir.file("configured.log");
    pmc_long status = PMC_E_FAIL;
    IPmcLogSession* before = manager_->get_session("before", nullptr, &status);
    IPmcLogWriter* file = manager_->create_writer("file", path.c_str(), &status);
    void* settings = nullptr;
    ASSERT_EQ(file->query_interface(PMC_IID_LOG_FILE_SETTINGS, &settings), PMC_S_OK);
    pmc::Owned<IPmcLogFileWriter> file_settings(static_cast<IPmcLogFileWriter*>(settings));
    file_settings->set_path(path.c_str());

    ASSERT_EQ(manager_->configure(PMC_LOG_ERROR, 0, file), PMC_S_OK);
    IPmcLogSession* after = manager_->get_session("after", nullptr, &status);
    before->write_line(PMC_LOG_ERROR, "from before");
    after->write_line(PMC_LOG_ERROR, "from after");
    after->write_line(PMC_LOG_DEBUG, "filtered");
    std::string content = read_file(path);
    EXPECT_NE(content.find("before          , Error, from before\n"), std::string::npos);
    EXPECT_NE(content.find("after           , Error, from after\n"), std::string::npos);
    EXPECT_EQ(content.find("filtered"), std::string::npos);

    // Turning it off again leaves every session silent and writer-less.
    ASSERT_EQ(manager_->configure(0, PMC_LOG_FLAGS_DEFAULT, nullptr), PMC_S_OK);
    before->write_line(PMC_LOG_ERROR, "off");
    EXPECT_EQ(read_file(path), content);
}

}  // namespace
