// Address resolution, "file:" addresses and the form-urlencoded data of a form.
#include <gtest/gtest.h>

#include "browserhost/form_submission.h"
#include "browserhost/url.h"
#include "formengine/dom/html_builder.h"
#include "platform/text.h"

namespace veltrix::browserhost {
namespace {

TEST(HostUrls, ReferencesResolveAgainstTheDocumentAddress) {
    const std::u16string base = u"http://site.test/a/b/page.html?x=1#frag";
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"other.html", u"http://site.test/a/b/other.html"},
        {u"../up.html?q", u"http://site.test/a/up.html?q"},
        {u"./../../../top.html", u"http://site.test/top.html"},
        {u"/root/x/./y/../z", u"http://site.test/root/x/z"},
        {u"//cdn.test/lib.js", u"http://cdn.test/lib.js"},
        {u"?only=query", u"http://site.test/a/b/page.html?only=query"},
        {u"#part", u"http://site.test/a/b/page.html?x=1#part"},
        {u"", u"http://site.test/a/b/page.html?x=1"},
        {u"  sub/  ", u"http://site.test/a/b/sub/"},
        {u"https://elsewhere.test/", u"https://elsewhere.test/"},
        {u"javascript:go()", u"javascript:go()"},
    };
    for (const auto& [reference, expected] : cases) {
        EXPECT_EQ(text::ToUtf8(ResolveUrl(base, reference)), text::ToUtf8(expected))
            << text::ToUtf8(reference);
    }
    EXPECT_EQ(ResolveUrl(u"http://site.test", u"x.html"), u"http://site.test/x.html");
    EXPECT_EQ(ResolveUrl(u"file:///srv/pages/a.html", u"b.html"), u"file:///srv/pages/b.html");
    EXPECT_EQ(ResolveUrl(u"about:blank", u"x.html"), u"x.html");
}

TEST(HostUrls, FileAddressesNameLocalFiles) {
    EXPECT_EQ(FileFromUrl(u"file:///srv/my%20pages/a.html?x#y"),
              std::filesystem::path("/srv/my pages/a.html"));
    EXPECT_EQ(FileFromUrl(u"FILE://localhost/tmp/a"), std::filesystem::path("/tmp/a"));
    EXPECT_EQ(FileFromUrl(u"file:/tmp/b"), std::filesystem::path("/tmp/b"));
    EXPECT_EQ(FileFromUrl(u"file://server/share/a"), std::nullopt);
    EXPECT_EQ(FileFromUrl(u"http://site.test/a"), std::nullopt);
    const std::filesystem::path odd = "/tmp/a b/\xc3\xa9%.html";
    EXPECT_EQ(FileFromUrl(FileUrl(odd)), odd);
    EXPECT_TRUE(IsJavaScriptUrl(u"JAVASCRIPT:void(0)"));
    EXPECT_FALSE(IsJavaScriptUrl(u"java.html"));
}

TEST(HostFormData, EncodingKeepsOnlyTheSafeCharacters) {
    EXPECT_EQ(FormUrlEncode(u"aZ09*-._"), "aZ09*-._");
    EXPECT_EQ(FormUrlEncode(u"a b+c&d=e~/"), "a+b%2Bc%26d%3De%7E%2F");
    EXPECT_EQ(FormUrlEncode(u"\u00e9\u20ac"), "%C3%A9%E2%82%AC");
    EXPECT_EQ(EncodeFormData({{u"n", u""}, {u"", u"v"}, {u"x y", u"1"}}), "n=&=v&x+y=1");
    EXPECT_EQ(EncodeFormData({}), "");
}

TEST(HostFormData, ControlsOutsideTheFormTreeCountByTheirFormOwner) {
    auto doc = dom::BuildDocumentFromHtml(
        "<table><form id=f action='go' method=get><tr><td><input name=a value=1>"
        "<select name=m multiple><option value=x selected><option selected disabled>y"
        "<option selected>z</select></td></tr></form></table>"
        "<input name=late value=2 form=f><input type=image id=img form=f>",
        u"http://site.test/dir/page.html#top");
    auto form = doc->ElementById(u"f");
    auto image = doc->ElementById(u"img");
    ASSERT_TRUE(form && image);
    EXPECT_EQ(EncodeFormData(SuccessfulControls(*form, image.get())), "a=1&m=x&m=z&late=2&x=0&y=0");
    const FormNavigation navigation = BuildFormNavigation(*form, nullptr, doc->Address());
    EXPECT_FALSE(navigation.post);
    EXPECT_EQ(navigation.postData, "");
    EXPECT_EQ(text::ToUtf8(navigation.url), "http://site.test/dir/go?a=1&m=x&m=z&late=2");

    // Without an action the form goes to its own page, the old query replaced.
    auto plain = dom::BuildDocumentFromHtml("<form id=g method=' Post '><input name=q value=v>",
                                            u"http://site.test/p?old=1#f");
    const FormNavigation post =
        BuildFormNavigation(*plain->ElementById(u"g"), nullptr, plain->Address());
    EXPECT_TRUE(post.post);
    EXPECT_EQ(text::ToUtf8(post.url), "http://site.test/p?old=1");
    EXPECT_EQ(post.postData, "q=v");
}

TEST(HostFormData, ASubmitButtonsOwnAttributesStandInForTheForms) {
    auto doc = dom::BuildDocumentFromHtml(
        "<form id=f action=/a method=get enctype=text/plain target=_top><input name=u value='x y'>"
        "<input type=submit id=plain name=s value=p formaction=/b formmethod=post>"
        "<button id=get name=s value=g formmethod=GET formaction='' formtarget=_self></button>"
        "<input type=submit id=encoded formmethod=post "
        "formenctype=application/x-www-form-urlencoded>"
        "<input type=submit id=bare></form>",
        u"http://site.test/dir/p?q=1");
    const auto& form = *doc->ElementById(u"f");
    const auto go = [&](std::u16string_view id) {
        return BuildFormNavigation(form, doc->ElementById(id).get(), doc->Address());
    };
    // The form's own text/plain encoding comes with the button's method.
    const FormNavigation plain = go(u"plain");
    EXPECT_TRUE(plain.post);
    EXPECT_EQ(text::ToUtf8(plain.url), "http://site.test/b");
    EXPECT_EQ(plain.postData, "u=x y\r\ns=p\r\n");
    EXPECT_EQ(plain.target, u"_top");
    // An empty formaction is the document's address; the query gives way to the data.
    const FormNavigation get = go(u"get");
    EXPECT_FALSE(get.post);
    EXPECT_EQ(text::ToUtf8(get.url), "http://site.test/dir/p?u=x+y&s=g");
    EXPECT_EQ(get.target, u"_self");
    EXPECT_EQ(go(u"encoded").postData, "u=x+y");
    EXPECT_EQ(text::ToUtf8(go(u"encoded").url), "http://site.test/a");
    // A button without overrides sends the form as it is.
    EXPECT_EQ(text::ToUtf8(go(u"bare").url), "http://site.test/a?u=x+y");
    EXPECT_EQ(EncodePlainFormData({}), "");
}

}  // namespace
}  // namespace veltrix::browserhost
