#include "platform/app/ElementAccessible.h"

#include "platform/dispatch/DispatchQueue.h"

#include <cmath>
#include <memory>

namespace platform::app {
namespace {

using Role = ui::AccessibilityElement::Role;

struct Element {
    ui::AccessibilityElement element;
    bool focused = false;
};

GQuark elementQuark() {
    return g_quark_from_static_string("platform-app-element");
}

Element* elementOf(gpointer object) {
    return static_cast<Element*>(g_object_get_qdata(G_OBJECT(object), elementQuark()));
}

bool isButton(gpointer object) {
    const auto* element = elementOf(object);
    return element && element->element.role == Role::button;
}

AtkRole atkRole(Role role) {
    switch (role) {
    case Role::button:
        return ATK_ROLE_PUSH_BUTTON;
    case Role::image:
        return ATK_ROLE_IMAGE;
    case Role::staticText:
        break;
    }
    return ATK_ROLE_LABEL;
}

struct PlatformElementAccessible {
    AtkObject parent;
};
struct PlatformElementAccessibleClass {
    AtkObjectClass parent_class;
};

void componentInit(AtkComponentIface* iface);
void actionInit(AtkActionIface* iface);

G_DEFINE_TYPE_WITH_CODE(PlatformElementAccessible, platform_element_accessible, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, componentInit)
                            G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, actionInit))

void platform_element_accessible_init(PlatformElementAccessible*) {}

AtkStateSet* refStateSet(AtkObject* object) {
    auto* states =
        ATK_OBJECT_CLASS(platform_element_accessible_parent_class)->ref_state_set(object);
    for (auto state :
         {ATK_STATE_VISIBLE, ATK_STATE_SHOWING, ATK_STATE_ENABLED, ATK_STATE_SENSITIVE}) {
        atk_state_set_add_state(states, state);
    }
    if (isButton(object)) {
        atk_state_set_add_state(states, ATK_STATE_FOCUSABLE);
        if (elementOf(object)->focused) {
            atk_state_set_add_state(states, ATK_STATE_FOCUSED);
        }
    }
    return states;
}

gint indexInParent(AtkObject* object) {
    auto* parent = atk_object_get_parent(object);
    if (!parent) {
        return -1;
    }
    const gint count = atk_object_get_n_accessible_children(parent);
    for (gint i = 0; i < count; ++i) {
        ui::GObjectPtr<AtkObject> child(atk_object_ref_accessible_child(parent, i));
        if (child.get() == object) {
            return i;
        }
    }
    return -1;
}

void platform_element_accessible_class_init(PlatformElementAccessibleClass* klass) {
    auto* atkClass = ATK_OBJECT_CLASS(klass);
    atkClass->ref_state_set = refStateSet;
    atkClass->get_index_in_parent = indexInParent;
}

// Where the layout put the element, offset by where its parent is.
void extents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
             AtkCoordType coordinates) {
    const auto* element = elementOf(component);
    gint originX = 0, originY = 0, parentWidth = 0, parentHeight = 0;
    auto* parent = atk_object_get_parent(ATK_OBJECT(component));
    if (coordinates != ATK_XY_PARENT && parent && ATK_IS_COMPONENT(parent)) {
        atk_component_get_extents(ATK_COMPONENT(parent), &originX, &originY, &parentWidth,
                                  &parentHeight, coordinates);
    }
    const auto frame = element ? element->element.frame : ui::Rect{};
    *x = originX + static_cast<gint>(std::floor(frame.minX()));
    *y = originY + static_cast<gint>(std::floor(frame.minY()));
    *width = static_cast<gint>(std::ceil(frame.size.width));
    *height = static_cast<gint>(std::ceil(frame.size.height));
}

void componentInit(AtkComponentIface* iface) {
    iface->get_extents = extents;
}

gint actionCount(AtkAction* action) {
    return isButton(action) ? 1 : 0;
}

const gchar* actionName(AtkAction* action, gint index) {
    return isButton(action) && index == 0 ? "click" : nullptr;
}

gboolean doAction(AtkAction* action, gint index) {
    if (!isButton(action) || index != 0 || !elementOf(action)->element.action) {
        return FALSE;
    }
    // The reader waits for this call's answer: the button runs once it has it, as a click would.
    dispatch::DispatchQueue::main().async(elementOf(action)->element.action);
    return TRUE;
}

void actionInit(AtkActionIface* iface) {
    iface->get_n_actions = actionCount;
    iface->get_name = actionName;
    iface->do_action = doAction;
}

} // namespace

ui::GObjectPtr<AtkObject> makeElementAccessible(ui::AccessibilityElement element,
                                                AtkObject* parent) {
    ui::GObjectPtr<AtkObject> object(
        ATK_OBJECT(g_object_new(platform_element_accessible_get_type(), nullptr)));
    atk_object_set_role(object.get(), atkRole(element.role));
    atk_object_set_name(object.get(), element.label.c_str());
    atk_object_set_parent(object.get(), parent);
    auto data = std::make_unique<Element>(Element{std::move(element)});
    g_object_set_qdata_full(
        G_OBJECT(object.get()), elementQuark(), data.release(),
        [](gpointer owned) { std::unique_ptr<Element> gone(static_cast<Element*>(owned)); });
    return object;
}

void refreshElementAccessible(AtkObject* object, ui::AccessibilityElement element) {
    if (auto* data = elementOf(object)) {
        data->element = std::move(element);
    }
}

void setElementFocused(AtkObject* object, bool focused) {
    auto* data = elementOf(object);
    if (!data || data->focused == focused) {
        return;
    }
    data->focused = focused;
    atk_object_notify_state_change(object, ATK_STATE_FOCUSED, focused);
}

} // namespace platform::app
