// The client against a real web server from the distribution, started here on loopback
// with a configuration and prefix of its own.
#include "net/http/id_http.h"
#include "net/socket/id_exceptions.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string FindNginx()
{
    for (const char* path : {"/usr/sbin/nginx", "/usr/bin/nginx", "/usr/local/sbin/nginx"})
        if (::access(path, X_OK) == 0) return path;
    return {};
}

// A port the system hands out now; nginx gets it a moment later (a start that loses the
// race is retried with another one).
int FreeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool Accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

class NginxServer {
public:
    bool Start(const std::string& binary)
    {
        char pattern[] = "/tmp/norvane-nginx-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) return false;
        FDir = pattern;
        ::chmod(FDir.c_str(), 0755);
        for (const char* sub : {"/www", "/www/ssi", "/tmp"}) ::mkdir((FDir + sub).c_str(), 0755);
        WriteFile(FDir + "/www/static.txt", StaticBody());
        WriteFile(FDir + "/www/part.txt", "INCLUDED");
        WriteFile(FDir + "/www/ssi/page.html", "before <!--# include virtual=\"/part.txt\" --> after\n");
        for (int attempt = 0; attempt < 5 && FPid <= 0; ++attempt) {
            FPort = FreeLoopbackPort();
            WriteConfig();
            Launch(binary);
            for (int i = 0; i < 100 && FPid > 0; ++i) {
                if (Accepts(FPort)) return true;
                int status = 0;
                if (::waitpid(FPid, &status, WNOHANG) == FPid) FPid = -1;  // lost the port: try another
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            Stop();
        }
        return false;
    }

    void Stop()
    {
        if (FPid > 0) {
            ::kill(FPid, SIGTERM);
            int status = 0;
            for (int i = 0; i < 100 && ::waitpid(FPid, &status, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (::waitpid(FPid, &status, WNOHANG) == 0) {
                ::kill(FPid, SIGKILL);
                ::waitpid(FPid, &status, 0);
            }
            FPid = -1;
        }
    }

    void RemoveFiles()
    {
        if (!FDir.empty()) std::system(("rm -rf '" + FDir + "'").c_str());
    }

    std::string Log() const
    {
        std::ifstream in(FDir + "/error.log");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static std::string StaticBody() { return "static body served from disk\r\nsecond line\r\n"; }
    int Port() const { return FPort; }

private:
    void WriteConfig()
    {
        const std::string d = FDir;
        std::string conf;
        // Workers of a master started by root would switch to an unprivileged user.
        if (::geteuid() == 0) conf += "user root;\n";
        conf += "worker_processes 1;\npid " + d + "/nginx.pid;\nerror_log " + d + "/error.log;\n";
        conf += "events { worker_connections 64; }\nhttp {\n  access_log off;\n";
        for (const char* temp : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
            conf += std::string("  ") + temp + "_temp_path " + d + "/tmp/" + temp + ";\n";
        conf += "  keepalive_timeout 30s;\n  server {\n    listen 127.0.0.1:" + std::to_string(FPort) + ";\n";
        conf += "    root " + d + "/www;\n";
        // Server-side includes drop the length, so the page goes out in chunks.
        conf += "    location /ssi/ { ssi on; }\n";
        // The connection's serial number tells whether two requests shared a connection.
        conf += "    location = /conn { default_type text/plain; return 200 \"$connection\"; }\n";
        conf += "    location = /old { return 301 /static.txt; }\n  }\n}\n";
        WriteFile(d + "/nginx.conf", conf);
    }

    void Launch(const std::string& binary)
    {
        FPid = ::fork();
        if (FPid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // the server ends with the test, however the test ends
            const int out = ::open((FDir + "/output.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            ::dup2(out, 1);
            ::dup2(out, 2);
            const std::string conf = FDir + "/nginx.conf", log = FDir + "/error.log";
            ::execl(binary.c_str(), binary.c_str(), "-p", FDir.c_str(), "-c", conf.c_str(), "-e", log.c_str(), "-g",
                    "daemon off;", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }

    std::string FDir;
    pid_t FPid = -1;
    int FPort = 0;
};

class Nginx : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::string binary = FindNginx();
        if (binary.empty()) return;
        FServer = new NginxServer;
        if (!FServer->Start(binary)) {
            FStartFailure = "nginx did not start:\n" + FServer->Log();
            FServer->RemoveFiles();
            delete FServer;
            FServer = nullptr;
        }
    }

    static void TearDownTestSuite()
    {
        if (FServer != nullptr) {
            FServer->Stop();
            FServer->RemoveFiles();
        }
        delete FServer;
        FServer = nullptr;
    }

    void SetUp() override
    {
        if (FServer == nullptr && FStartFailure.empty()) GTEST_SKIP() << "nginx is not installed";
        ASSERT_NE(FServer, nullptr) << FStartFailure;
        FHttp.Host = "127.0.0.1";
        FHttp.DefaultPort = FServer->Port();
        FHttp.Limits.ReadTimeout = 10000;
    }

    static NginxServer* FServer;
    static std::string FStartFailure;
    TIdHTTP FHttp;
};

NginxServer* Nginx::FServer = nullptr;
std::string Nginx::FStartFailure;

TEST_F(Nginx, StaticFileByLengthOverOneKeptConnection)
{
    const std::string connection = FHttp.GetText("conn");
    EXPECT_EQ(FHttp.GetText("static.txt"), NginxServer::StaticBody());
    EXPECT_EQ(FHttp.StatusCode, 200);
    EXPECT_EQ(FHttp.Reply.ContentLength, static_cast<int32_t>(NginxServer::StaticBody().size()));
    EXPECT_EQ(FHttp.Reply.ContentType, "text/plain");
    EXPECT_EQ(FHttp.Reply.Server.rfind("nginx", 0), 0u);
    EXPECT_NE(FHttp.Reply.ExtraHeaders.FindHeader("ETag"), -1);
    EXPECT_TRUE(FHttp.IsConnected());
    EXPECT_EQ(FHttp.GetText("static.txt"), NginxServer::StaticBody());

    // The server's clock, in local days, is now; the file was written moments ago.
    std::tm local{};
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &local);
    const double expected = (now + local.tm_gmtoff) / 86400.0 + 25569.0;
    EXPECT_NEAR(FHttp.Reply.Date, expected, 120 / 86400.0);
    EXPECT_NEAR(FHttp.Reply.LastModified, expected, 600 / 86400.0);

    EXPECT_EQ(FHttp.GetText("conn"), connection);
}

TEST_F(Nginx, NotFoundRaisesAndKeepsTheConnection)
{
    const std::string connection = FHttp.GetText("conn");
    try {
        FHttp.GetText("missing.txt");
        ADD_FAILURE() << "no error for a missing file";
    } catch (const EIdProtocolReplyError& e) {
        EXPECT_STREQ(e.what(), "404 Not Found");
        EXPECT_EQ(e.ReplyCode, 404);
    }
    EXPECT_EQ(FHttp.GetText("conn"), connection);
}

TEST_F(Nginx, ChunkedPageIsJoinedAndTheConnectionKept)
{
    const std::string connection = FHttp.GetText("conn");
    std::vector<std::string> statuses;
    FHttp.OnStatus = [&statuses](TIdComponent&, TIdStatus, const std::string& text) { statuses.push_back(text); };
    EXPECT_EQ(FHttp.GetText("ssi/page.html"), "before INCLUDED after\n");
    EXPECT_EQ(FHttp.Reply.ExtraHeaders.ValueOf("Transfer-Encoding"), "chunked");
    EXPECT_FALSE(FHttp.Reply.HasContentLength);
    EXPECT_EQ(statuses, std::vector<std::string>{"Chunk Started"});
    EXPECT_EQ(FHttp.GetText("conn"), connection);
}

TEST_F(Nginx, AbsoluteRedirectToTheSameServerIsFollowedOnTheSameConnection)
{
    const std::string connection = FHttp.GetText("conn");
    EXPECT_THROW(FHttp.GetText("old"), EIdProtocolReplyError);
    FHttp.HandleRedirects = true;
    EXPECT_EQ(FHttp.GetText("old"), NginxServer::StaticBody());
    EXPECT_EQ(FHttp.RequestHost, "127.0.0.1");
    EXPECT_EQ(FHttp.GetText("conn"), connection);
}

}  // namespace
