#pragma once

#include <QString>
#include <algorithm>
#include <vector>

struct sqlite3;

// Something that holds statements of a connection and must let go of them
// before the connection closes (a recordset).
class ConnectionUser
{
public:
    virtual ~ConnectionUser() = default;
    virtual void connectionClosing() = 0;
    // Lets go of a statement kept running between calls (a snapshot read
    // front to back), so that the connection's next statement may change the
    // schema or compact the file. The user reads on by key afterwards.
    virtual void releaseReads() {}
};

// The state a Database shares with its recordsets. A recordset may outlive
// its Database object; it then finds `db` null and reports 3420.
struct Connection
{
    sqlite3* db = nullptr;
    QString path;
    std::vector<ConnectionUser*> users;

    void add(ConnectionUser* user) { users.push_back(user); }
    void remove(ConnectionUser* user)
    {
        users.erase(std::remove(users.begin(), users.end(), user), users.end());
    }
    void releaseReads() const
    {
        for (ConnectionUser* user : users)
            user->releaseReads();
    }
};
