#pragma once

// Result codes of the /v1 answer envelope ("code"); 0 is success. The client
// turns 10001..10031 into texts of its language table, so every refusal of
// this service stays inside that range. API.md lists what each one means.
namespace ox8cloud {

enum ResultCode : int {
    Success = 0,
    MalformedRequest = 10001,   // body is not a JSON object, or a field is missing or not a string
    EmailTaken = 10002,
    OldPasswordWrong = 10003,   // change password: the current password does not match
    LoginFailed = 10004,        // wrong e-mail or password
    TooManyFailures = 10005,    // too many wrong passwords for this account within the window
    PasswordLength = 10006,     // a new password must have 6 to 16 characters
    PasswordsDiffer = 10007,
    InvalidEmail = 10008,
    InvalidNickname = 10009,
    CodeWrong = 10010,          // verification code wrong, used up or expired
    NotLoggedIn = 10011,        // token missing, unknown or expired
    UploadTooLarge = 10012,     // over the per-archive or per-user storage limit
    UploadRefused = 10013,      // no "file" part, wrong file name, or not a zip archive
    MalformedMultipart = 10014,
    InvalidConfigType = 10015,
    InvalidFilePath = 10016,    // not an archive this user uploaded
    NoVersion = 10017,          // nothing published for this versionType
    BodyTooLarge = 10018,       // request body over the limit, or not sent with a length
    TooManyCodes = 10019,       // too many recovery codes requested for this e-mail
    ServerError = 10020,        // storage failure on the server
    UnknownEndpoint = 10021,
};

} // namespace ox8cloud
