#include "platform/desktop/Accessibility.h"
#include "platform/desktop/Alert.h"
#include "platform/desktop/InputActivityTap.h"
#include "platform/desktop/Pasteboard.h"
#include "platform/desktop/SharedService.h"
#include "platform/desktop/Updater.h"
#include "platform/desktop/UserNotifications.h"
#include "platform/desktop/Workspace.h"

namespace glimmo {

#define GLIMMO_SHARED_SERVICE(Service)                                                          \
    Service& Service::shared() { return detail::SharedService<Service>::get(#Service); }        \
    void Service::setShared(std::shared_ptr<Service> service) {                                 \
        detail::SharedService<Service>::set(std::move(service));                                \
    }

GLIMMO_SHARED_SERVICE(Workspace)
GLIMMO_SHARED_SERVICE(Accessibility)
GLIMMO_SHARED_SERVICE(InputActivityTap)
GLIMMO_SHARED_SERVICE(UserNotificationCenter)
GLIMMO_SHARED_SERVICE(AlertPresenter)
GLIMMO_SHARED_SERVICE(Pasteboard)
GLIMMO_SHARED_SERVICE(Updater)

#undef GLIMMO_SHARED_SERVICE

} // namespace glimmo
