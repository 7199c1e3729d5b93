#include "LaunchArguments.h"

#include "Account/AuthConfig.h"

LaunchArguments LaunchArguments::read(const QStringList& arguments)
{
    LaunchArguments read;
    for (const QString& argument : arguments.mid(1)) {
        if (argument == atLoginArgument)
            read.atLogin = true;
        else if (const QUrl url(argument); !read.signInReturn && AuthConfig::isCallback(url))
            read.signInReturn = url;
    }
    return read;
}
